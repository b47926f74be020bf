// A front end driven by a script of commands instead of a person, for
// automation and tests. Commands (UTF-8), one per entry:
//   type <text>      types the text into the focused control
//   key <name>       Enter, Tab, Shift+Tab, Esc, Backspace, Space, Alt+<letter>
//   click <control>  clicks the control of that name
//   close            the window's close box
//   show             prints the form: caption, focus, every shown control
// Message boxes are printed as "[<kind>] <text>" and dismissed at once; a
// command whose input the dialog refused in part is followed by "[beep]".
#pragma once

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/HostFrontEnd.h"

namespace host {

class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ScriptFrontEnd final : public HostFrontEnd {
 public:
  ScriptFrontEnd(std::vector<std::string> commands, std::ostream& out, SessionLog& log);
  // Runs commands until the dialog ends; false when they ran out first.
  // Raises ScriptError for a command it cannot carry out.
  bool RunModal(rtl::ModalSession& session) override;
  std::size_t Remaining() const noexcept { return commands_.size() - next_; }

 protected:
  void PresentMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) override;

 private:
  void Run(rtl::ModalSession& session, const std::string& command);

  std::vector<std::string> commands_;
  std::size_t next_ = 0;
  std::ostream& out_;
};

}  // namespace host
