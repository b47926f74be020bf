#include "runtime/text/CodePage936.h"
#include "runtime/text/GbkTable.h"

namespace rtl::cp936 {

std::optional<std::size_t> Decode(std::string_view gbk, WideString& out) {
  out.reserve(out.size() + gbk.size());
  for (std::size_t pos = 0; pos < gbk.size();) {
    const gbktable::Decoded d = gbktable::DecodeAt(gbk, pos);
    if (d.length == 0) return pos;
    out += d.unit;
    pos += d.length;
  }
  return std::nullopt;
}

std::optional<std::size_t> Encode(std::u16string_view wide, AnsiString& out) {
  out.reserve(out.size() + wide.size() * 2);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const std::uint16_t code = gbktable::EncodeUnit(wide[i]);
    if (code == 0 && wide[i] != 0) return i;
    if (code >= 0x100) out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
  }
  return std::nullopt;
}

}  // namespace rtl::cp936
