// How the host shows a dialog's messages: as message boxes of the
// application's front end, which records them in the session log.
#pragma once

#include "runtime/forms/FrontEnd.h"
#include "runtime/text/Text.h"

namespace host {

// Shows text (GBK) as a message box of the given kind; raises when no front end is set.
void ShowHostMessage(const rtl::AnsiString& text, rtl::TMsgKind kind);

}  // namespace host
