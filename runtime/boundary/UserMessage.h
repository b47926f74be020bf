// What the person is told about a failure, in Chinese (GBK): the raiser's own
// text when it gave one (Exception::UserMessage), else the general text of
// the failure's kind. The detail (what()) is not for the person; it belongs
// on standard error.
#pragma once

#include <exception>

#include "runtime/text/Gbk.h"
#include "runtime/text/Text.h"

namespace rtl {

AnsiString UserMessageOf(const std::exception& e);

// The same for the exception being handled, whatever its type. Call from
// inside a catch block.
AnsiString UserMessageOfCurrentException();

// The detail of the exception being handled, for standard error. Call from
// inside a catch block.
AnsiString DetailOfCurrentException();

}  // namespace rtl
