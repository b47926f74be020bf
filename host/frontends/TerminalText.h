// Text as a terminal (or a pipe read by one) receives it from the host's
// front ends: UTF-8, with every control character shown as U+FFFD, so that
// no text from the database, the host's services or a library may move the
// cursor, retitle the window or otherwise drive the person's terminal.
#pragma once

#include <string>
#include <string_view>

#include "runtime/forms/FrontEnd.h"

namespace host {

// GBK text for a terminal.
std::string TerminalText(std::string_view gbk);
// UTF-8 text for a terminal.
std::string TerminalUtf8(std::string_view utf8);

// The line a front end writes for a message box, "[<kind>] <text>", its
// text as TerminalText gives it.
std::string MessageLine(std::string_view gbk, rtl::TMsgKind kind);

}  // namespace host
