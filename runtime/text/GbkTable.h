// The GBK (code page 936) table generated at build time from the build
// machine's converter: what every platform uses to measure and display GBK
// text, and the strict conversions' back end where the platform has none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rtl::gbktable {

// The character at gbk[pos]: its UTF-16 code unit and its length in bytes,
// or length 0 when the bytes there are not a mapped GBK character.
struct Decoded {
  char16_t unit;
  std::size_t length;
};
Decoded DecodeAt(std::string_view gbk, std::size_t pos);

// The GBK code of a UTF-16 code unit (a byte value below 0x100, else lead
// and trail byte), or 0 when GBK has none. U+0000 is code 0 as well.
std::uint16_t EncodeUnit(char16_t unit);

}  // namespace rtl::gbktable
