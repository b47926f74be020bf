// Conversions between 8-bit GBK text (code page 936) and Unicode.
//
// The strict conversions raise EConvertError on any byte sequence that is not
// a mapped GBK character (or any Unicode text that GBK cannot hold): text that
// reaches a database or a server is never silently altered, so two different
// byte strings never become the same wide string.
// The display conversion replaces each bad byte by U+FFFD and goes on with the
// next byte, so a malformed sequence never swallows the byte that follows it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "runtime/text/Text.h"

namespace rtl {

WideString GbkToWide(std::string_view gbk);
AnsiString WideToGbk(std::u16string_view wide);
std::string GbkToUtf8(std::string_view gbk);
AnsiString Utf8ToGbk(std::string_view utf8);

// For showing text to a person only: never raises.
std::string GbkToUtf8Display(std::string_view gbk);

// Length in bytes of the well-formed character starting at gbk[pos]
// (1 or 2), or 0 when the bytes there are not a mapped character.
std::size_t GbkCharLength(std::string_view gbk, std::size_t pos);

// Number of bytes of the last character of gbk, for deleting it as a whole;
// a trailing malformed byte counts as one character. 0 for empty text.
std::size_t GbkLastCharLength(std::string_view gbk);

// Columns a terminal needs to show the text: 2 for a double-byte character.
std::size_t GbkDisplayWidth(std::string_view gbk);

// Texts for the person stand in the runtime's sources as u8 literals, since
// the fuzzing build's compiler cannot encode narrow literals as GBK; this
// makes them GBK.
AnsiString PersonText(const char8_t* text);

// What the person is told of text whose bytes are no characters.
inline constexpr const char8_t* kUnreadableText = u8"文字中含有无法识别的字符。";

}  // namespace rtl
