// How the host shows a module's messages: as message boxes of the front
// end it was handed, under the host's own caption.
#pragma once

#include "runtime/forms/FrontEnd.h"
#include "runtime/text/Text.h"

namespace host {

inline constexpr const char* kHostCaption = "Velmora";

// Shows text (GBK) as a message box of the given kind.
inline void ShowHostMessage(rtl::TFrontEnd& screen, const rtl::AnsiString& text, rtl::TMsgKind kind) {
  screen.ShowMessage(kHostCaption, text, kind);
}

}  // namespace host
