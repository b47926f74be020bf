// What the person is told about a failure, in Chinese (GBK): the raiser's own
// text when it gave one (Exception::UserMessage), else the general text of
// the failure's kind. The detail (what()) is not for the person; it belongs
// on standard error.
#pragma once

#include <exception>

#include "runtime/text/Text.h"

namespace rtl {

// Texts for the person stand in the runtime's sources as u8 literals, since
// the fuzzing build's compiler cannot encode narrow literals as GBK; this
// makes them GBK.
AnsiString PersonText(const char8_t* text);

// What the person is told of text whose bytes are no characters.
inline constexpr const char8_t* kUnreadableText = u8"文字中含有无法识别的字符。";

AnsiString UserMessageOf(const std::exception& e);

// The same for the exception being handled, whatever its type. Call from
// inside a catch block.
AnsiString UserMessageOfCurrentException();

// The detail of the exception being handled, for standard error. Call from
// inside a catch block.
AnsiString DetailOfCurrentException();

}  // namespace rtl
