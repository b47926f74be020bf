#include "runtime/text/Gbk.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "runtime/except/Exceptions.h"
#include "runtime/text/CodePage936.h"
#include "runtime/text/GbkTable.h"
#include "runtime/text/Unicode.h"

namespace rtl {
namespace {

using gbktable::DecodeAt;
using gbktable::Decoded;

constexpr char16_t kReplacement = 0xFFFD;

}  // namespace

WideString GbkToWide(std::string_view gbk) {
  WideString out;
  if (const auto bad = cp936::Decode(gbk, out)) {
    throw EConvertError("Invalid GBK byte sequence at byte " + IntToStr(static_cast<std::int64_t>(*bad)),
                        PersonText(kUnreadableText));
  }
  return out;
}

AnsiString WideToGbk(std::u16string_view wide) {
  AnsiString out;
  if (const auto bad = cp936::Encode(wide, out)) {
    char text[96];
    std::snprintf(text, sizeof text, "Character U+%04X at position %zu has no GBK code",
                  static_cast<unsigned>(wide[*bad]), *bad);
    throw EConvertError(text, PersonText(u8"文字中含有当前字符集无法表示的字符。"));
  }
  return out;
}

std::string GbkToUtf8(std::string_view gbk) { return WideToUtf8(GbkToWide(gbk)); }

AnsiString Utf8ToGbk(std::string_view utf8) { return WideToGbk(Utf8ToWide(utf8)); }

std::string GbkToUtf8Display(std::string_view gbk) {
  WideString wide;
  wide.reserve(gbk.size());
  for (std::size_t pos = 0; pos < gbk.size();) {
    const Decoded d = DecodeAt(gbk, pos);
    if (d.length == 0) {
      wide += kReplacement;
      ++pos;  // only the bad byte: whatever follows is decoded on its own
    } else {
      wide += d.unit;
      pos += d.length;
    }
  }
  return WideToUtf8(wide);
}

std::size_t GbkCharLength(std::string_view gbk, std::size_t pos) {
  if (pos >= gbk.size()) return 0;
  return DecodeAt(gbk, pos).length;
}

std::size_t GbkLastCharLength(std::string_view gbk) {
  std::size_t last = 0;
  for (std::size_t pos = 0; pos < gbk.size();) {
    const std::size_t length = std::max<std::size_t>(DecodeAt(gbk, pos).length, 1);
    last = length;
    pos += length;
  }
  return last;
}

std::size_t GbkDisplayWidth(std::string_view gbk) {
  std::size_t width = 0;
  for (std::size_t pos = 0; pos < gbk.size();) {
    const std::size_t length = std::max<std::size_t>(DecodeAt(gbk, pos).length, 1);
    width += length;  // a double-byte character takes two columns, a bad byte one
    pos += length;
  }
  return width;
}

AnsiString PersonText(const char8_t* text) { return Utf8ToGbk(reinterpret_cast<const char*>(text)); }

}  // namespace rtl
