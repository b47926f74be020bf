// The front end a person uses on Windows: each form shown modally gets
// native windows (FormWindow) and a message loop of its own that ends with
// the showing; the owner, if any, is disabled meanwhile. Message boxes are
// the system's, with the icon of their kind, owned by the dialog; each is
// also written to the output as "[<kind>] <text>", as the script front end
// does. Refused input beeps. When the session ends (logging off, shutting
// down) a dialog being shown ends as by its close box, so that the
// program's normal clean-up runs before the system ends it.
#pragma once

#include <ostream>

#include "host/frontends/win32/Gdi.h"
#include "runtime/forms/FrontEnd.h"

namespace host::win32 {

class FormWindow;

class Win32FrontEnd final : public rtl::TFrontEnd {
 public:
  // owner: the host's main window, or null when it has none.
  explicit Win32FrontEnd(std::ostream& out, HWND owner = nullptr);

  // Runs the form's windows until the showing ends; false when the message
  // loop was told to quit first.
  bool RunModal(rtl::ModalSession& session) override;

  void ShowMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) override;
  void Beep() override;

 private:
  std::ostream& out_;
  HWND owner_;
  FormWindow* current_ = nullptr;  // the dialog being shown, owner of message boxes
  // Hidden and top-level: the system tells top-level windows that the session ends.
  OwnedWindow sessionWatch_;
};

}  // namespace host::win32
