// How forms are presented. The form logic knows nothing of screens: a front
// end (a terminal, a scripted driver, a window system) runs the modal loop,
// turns the person's input into InputEvents for the form, shows message
// boxes and lets the person know when input was refused.
#pragma once

#include "runtime/components/Keys.h"
#include "runtime/text/Text.h"

namespace rtl {

class TCustomForm;
class TControl;

struct InputEvent {
  enum class Kind {
    Key,    // a key went down: key and shift
    Text,   // characters typed: text (GBK)
    Click,  // a pointer click on control
    Close,  // the window's close box
  };
  Kind kind = Kind::Key;
  Word key = 0;
  TShiftState shift;
  AnsiString text;
  TControl* control = nullptr;
};

enum class TMsgKind { Information, Warning, Error };

// One modal showing of a form, as the front end sees it. The form may be
// destroyed by its own handlers; the session notices, so the front end never
// touches a form that is gone.
class ModalSession {
 public:
  virtual ~ModalSession() = default;
  // The form, or nullptr once it has been destroyed.
  virtual TCustomForm* Form() const noexcept = 0;
  // True once the modal loop should stop.
  virtual bool Ended() const noexcept = 0;
  // Hands one input event to the form. Never raises.
  virtual void Deliver(const InputEvent& event) noexcept = 0;
};

class TFrontEnd {
 public:
  virtual ~TFrontEnd() = default;
  // Delivers input until session.Ended(). Returns false when the input ran
  // out first (the form is then closed as by its close box).
  virtual bool RunModal(ModalSession& session) = 0;
  // Shows a message box and returns when the person has dismissed it.
  virtual void ShowMessage(const AnsiString& caption, const AnsiString& text, TMsgKind kind) = 0;
  // Input was refused (a character an edit does not take, typing beyond its
  // limit): a window system beeps. Nothing by default.
  virtual void Beep() {}
};

}  // namespace rtl
