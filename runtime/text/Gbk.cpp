#include "runtime/text/Gbk.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "runtime/except/Exceptions.h"

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
  throw EConvertError("Invalid GBK byte sequence at byte " + IntToStr(static_cast<std::int64_t>(pos)));
}

std::uint16_t EncodeUnit(char16_t unit) {
  if (unit < 0x80) return unit;
  const std::uint32_t key = static_cast<std::uint32_t>(unit) << 16;
  const auto* end = kUnicodeToGbk + std::size(kUnicodeToGbk);
  const auto* it = std::lower_bound(kUnicodeToGbk, end, key);
  if (it == end || (*it >> 16) != unit) return 0;
  return static_cast<std::uint16_t>(*it & 0xFFFF);
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Strict UTF-8 decoding of one code point; returns 0 length on error.
struct Utf8Decoded {
  char32_t cp;
  std::size_t length;
};

Utf8Decoded DecodeUtf8At(std::string_view s, std::size_t pos) {
  const auto b0 = static_cast<unsigned char>(s[pos]);
  if (b0 < 0x80) return {b0, 1};
  std::size_t length = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if ((b0 & 0xE0) == 0xC0) {
    length = 2, cp = b0 & 0x1F, minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, cp = b0 & 0x0F, minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, cp = b0 & 0x07, minimum = 0x10000;
  } else {
    return {0, 0};
  }
  if (pos + length > s.size()) return {0, 0};
  for (std::size_t i = 1; i < length; ++i) {
    const auto b = static_cast<unsigned char>(s[pos + i]);
    if ((b & 0xC0) != 0x80) return {0, 0};
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {0, 0};
  return {cp, length};
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
      throw EConvertError(text);
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

std::string GbkToUtf8(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  for (std::size_t pos = 0; pos < gbk.size();) {
    const Decoded d = DecodeAt(gbk, pos);
    if (d.length == 0) RaiseBadGbk(pos);
    AppendUtf8(out, d.unit);
    pos += d.length;
  }
  return out;
}

AnsiString Utf8ToGbk(std::string_view utf8) {
  AnsiString out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const Utf8Decoded d = DecodeUtf8At(utf8, pos);
    if (d.length == 0) {
      throw EConvertError("Invalid UTF-8 byte sequence at byte " + IntToStr(static_cast<std::int64_t>(pos)));
    }
    const std::uint16_t code = d.cp > 0xFFFF ? 0 : EncodeUnit(static_cast<char16_t>(d.cp));
    if (code == 0 && d.cp != 0) {
      throw EConvertError("Character at byte " + IntToStr(static_cast<std::int64_t>(pos)) + " has no GBK code");
    }
    if (code < 0x100) {
      out += static_cast<char>(code);
    } else {
      out += static_cast<char>(code >> 8);
      out += static_cast<char>(code & 0xFF);
    }
    pos += d.length;
  }
  return out;
}

std::string GbkToUtf8Display(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  for (std::size_t pos = 0; pos < gbk.size();) {
    const Decoded d = DecodeAt(gbk, pos);
    if (d.length == 0) {
      AppendUtf8(out, kReplacement);
      ++pos;  // only the bad byte: whatever follows is decoded on its own
    } else {
      AppendUtf8(out, d.unit);
      pos += d.length;
    }
  }
  return out;
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
