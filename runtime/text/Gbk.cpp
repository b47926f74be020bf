#include "runtime/text/Gbk.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "runtime/except/Exceptions.h"
#include "runtime/except/UserMessage.h"
#include "runtime/text/Unicode.h"

namespace rtl {
namespace {

#include "gbk_table.inc"

constexpr char16_t kReplacement = 0xFFFD;

// Decodes the character at pos. Returns its code unit and length, or
// length 0 when the bytes there are not a mapped GBK character.
struct Decoded {
  char16_t unit;
  std::size_t length;
};

Decoded DecodeAt(std::string_view s, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(s[pos]);
  if (lead < 0x80) return {lead, 1};
  if (lead == 0x80) return {kGbkSingle80, kGbkSingle80 != 0 ? 1u : 0u};
  if (lead == 0xFF || pos + 1 >= s.size()) return {0, 0};
  const auto trail = static_cast<unsigned char>(s[pos + 1]);
  if (trail < 0x40 || trail > 0xFE) return {0, 0};
  const std::uint16_t unit = kGbkDouble[lead - 0x81][trail - 0x40];
  return {unit, unit != 0 ? 2u : 0u};
}

[[noreturn]] void RaiseBadGbk(std::size_t pos) {
  throw EConvertError("Invalid GBK byte sequence at byte " + IntToStr(static_cast<std::int64_t>(pos)),
                      PersonText(kUnreadableText));
}

std::uint16_t EncodeUnit(char16_t unit) {
  if (unit < 0x80) return unit;
  const std::uint32_t key = static_cast<std::uint32_t>(unit) << 16;
  const auto* end = kUnicodeToGbk + std::size(kUnicodeToGbk);
  const auto* it = std::lower_bound(kUnicodeToGbk, end, key);
  if (it == end || (*it >> 16) != unit) return 0;
  return static_cast<std::uint16_t>(*it & 0xFFFF);
}

}  // namespace

WideString GbkToWide(std::string_view gbk) {
  WideString out;
  out.reserve(gbk.size());
  for (std::size_t pos = 0; pos < gbk.size();) {
    const Decoded d = DecodeAt(gbk, pos);
    if (d.length == 0) RaiseBadGbk(pos);
    out += d.unit;
    pos += d.length;
  }
  return out;
}

AnsiString WideToGbk(std::u16string_view wide) {
  AnsiString out;
  out.reserve(wide.size() * 2);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const std::uint16_t code = EncodeUnit(wide[i]);
    if (code == 0 && wide[i] != 0) {
      char text[96];
      std::snprintf(text, sizeof text, "Character U+%04X at position %zu has no GBK code",
                    static_cast<unsigned>(wide[i]), i);
      throw EConvertError(text, PersonText(u8"文字中含有当前字符集无法表示的字符。"));
    }
    if (code < 0x100) {
      out += static_cast<char>(code);
    } else {
      out += static_cast<char>(code >> 8);
      out += static_cast<char>(code & 0xFF);
    }
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

}  // namespace rtl
