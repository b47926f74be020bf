// Keyboard messages of a window system turned into the form's input events.
// A key goes to the form as a key (its handlers see every key code first);
// the character the same key then produces is not typed a second time; a
// typed character becomes GBK text, and one that GBK cannot hold is refused
// rather than replaced by something else.
#pragma once

#include <cstdint>

#include "runtime/forms/FrontEnd.h"

namespace host {

class KeyboardInput {
 public:
  enum class Action {
    Deliver,  // hand event to the form
    Swallow,  // already handled: nothing more happens
    Default,  // not the form's: the window system's own handling applies
    Refuse,   // refused input: the person is told (a beep)
  };
  struct Result {
    Action action = Action::Swallow;
    rtl::InputEvent event;
  };

  // A key went down; system is true for a key pressed with Alt (or F10).
  Result KeyDown(rtl::Word key, rtl::TShiftState shift, bool system);
  // A character arrived as one UTF-16 code unit (a character outside the
  // basic plane arrives as two); system for one typed with Alt.
  Result Char(char16_t unit, bool system);

 private:
  char16_t pendingChar_ = 0;    // the character the key just delivered will produce
  bool pendingSystem_ = false;  // an Alt key was delivered: its character is not typed
  char16_t highSurrogate_ = 0;  // the first half of a character outside the basic plane
};

}  // namespace host
