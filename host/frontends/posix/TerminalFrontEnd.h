// A front end on a UTF-8 terminal (POSIX systems): the form is drawn with its captions,
// labels, masked edits and buttons at positions scaled from its pixels; keys
// are read raw. Tab and Shift+Tab move the focus, Enter and Esc go to the
// form as keys, Alt+<letter> presses the button with that accelerator,
// Ctrl+C is the window's close box. Message boxes are drawn over the form
// and dismissed with Enter, Space or Esc.
#pragma once

#include <optional>
#include <string>

#include "runtime/forms/Form.h"
#include "runtime/forms/FrontEnd.h"

struct termios;

namespace host {

class TerminalFrontEnd final : public rtl::TFrontEnd {
 public:
  // Raises std::runtime_error when standard input or output is not a terminal.
  TerminalFrontEnd();
  ~TerminalFrontEnd() override;

  bool RunModal(rtl::ModalSession& session) override;

  void ShowMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) override;
  void Beep() override;

 private:
  struct Key {
    enum class Kind { None, Event, Close, EndOfInput } kind = Kind::None;
    rtl::InputEvent event;
  };
  Key ReadKey();
  int ReadByte(int timeoutMs);
  void Draw(const rtl::TCustomForm& form);

  rtl::TCustomForm* current_ = nullptr;  // the form being shown, redrawn under message boxes
  bool rawMode_ = false;
  std::string savedMode_;  // the terminal's settings, restored on destruction
};

}  // namespace host
