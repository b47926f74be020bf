// What happened while a dialog was shown: the messages the person saw and
// whether the signed-in user's password was written. The host's exit status
// is read from it.
#pragma once

#include <string>
#include <vector>

#include "runtime/forms/FrontEnd.h"

namespace host {

struct ShownMessage {
  rtl::TMsgKind kind;
  std::string text;  // UTF-8
};

struct SessionLog {
  std::vector<ShownMessage> messages;
  int passwordWrites = 0;
  // The dialog closed during the same input that made it show an alert.
  bool closedAfterAlert = false;
  // The front end ran out of input with the dialog still open.
  bool inputRanOut = false;
  // Input the dialog refused (a control character, typing beyond an edit's limit).
  int beeps = 0;
};

}  // namespace host
