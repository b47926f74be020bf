// 8-bit text routines with the toolkit's semantics. All 8-bit text in the
// system holds GBK bytes; these routines work on bytes and never split or
// join characters themselves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rtl {

using AnsiString = std::string;     // 8-bit text, GBK bytes
using WideString = std::u16string;  // UTF-16 text, the automation string

// Removes leading and trailing bytes whose value is 32 or less.
AnsiString Trim(std::string_view s);

// Encloses s in single quotes, doubling every single quote inside it.
AnsiString QuotedStr(std::string_view s);

// The upper case of an ASCII letter a-z; every other byte as it is.
constexpr char UpCase(char c) noexcept { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Upper-cases the ASCII letters a-z; every other byte is kept.
AnsiString UpperCase(std::string_view s);

// Decimal digits, with a leading minus sign for negative values.
AnsiString IntToStr(std::int64_t value);

// Parses an optionally signed decimal 32-bit integer; raises EConvertError.
std::int32_t StrToInt(std::string_view s);

// Compares two texts without regard to the letter case of ASCII letters.
bool SameText(std::string_view a, std::string_view b) noexcept;

}  // namespace rtl
