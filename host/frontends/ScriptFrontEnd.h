// A front end driven by a script of commands instead of a person, for
// automation and tests. Commands (UTF-8), one per entry:
//   type <text>      types the text into the focused control
//   key <name>       Enter, Tab, Shift+Tab, Esc, Backspace, Space, Alt+<letter>
//   click <control>  clicks the control of that name
//   close            the window's close box
//   show             prints the form: caption, focus, every shown control
// Empty commands and those starting with "#" are skipped. Message boxes are
// printed as "[<kind>] <text>" and dismissed at once; a command whose input
// the dialog refused in part is followed by "[beep]".
#pragma once

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/forms/FrontEnd.h"

namespace host {

// A script the host cannot carry out: the person's mistake, not the dialog's.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ScriptFrontEnd final : public rtl::TFrontEnd {
 public:
  // Reads the whole script first: raises ScriptError, naming the command,
  // for one that could never be carried out (an unknown command or key,
  // text with a character GBK has not).
  ScriptFrontEnd(const std::vector<std::string>& commands, std::ostream& out);

  // Runs commands until the dialog ends; false when they ran out first.
  // Raises ScriptError for a click on a control the form has not.
  bool RunModal(rtl::ModalSession& session) override;
  void ShowMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) override;
  void Beep() override { ++beeps_; }

 private:
  struct Command {
    enum class Verb { Input, Click, Show } verb = Verb::Input;
    rtl::InputEvent event;  // for Input
    std::string control;    // for Click
  };
  static Command Parse(const std::string& line);
  void Run(rtl::ModalSession& session, const Command& command);

  std::vector<Command> commands_;
  std::size_t next_ = 0;
  std::ostream& out_;
  int beeps_ = 0;
};

}  // namespace host
