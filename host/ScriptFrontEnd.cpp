#include "host/ScriptFrontEnd.h"

#include <cctype>

#include "runtime/controls/StdCtrls.h"
#include "runtime/except/Exceptions.h"
#include "runtime/forms/Form.h"
#include "runtime/text/Gbk.h"

namespace host {
namespace {

rtl::InputEvent KeyEvent(const std::string& name) {
  rtl::InputEvent e;
  e.kind = rtl::InputEvent::Kind::Key;
  if (name == "Enter") e.key = rtl::VK_RETURN;
  else if (name == "Tab") e.key = rtl::VK_TAB;
  else if (name == "Shift+Tab") e.key = rtl::VK_TAB, e.shift.shift = true;
  else if (name == "Esc") e.key = rtl::VK_ESCAPE;
  else if (name == "Backspace") e.key = rtl::VK_BACK;
  else if (name == "Space") e.key = rtl::VK_SPACE;
  else if (name.size() == 5 && name.starts_with("Alt+") && std::isalnum(static_cast<unsigned char>(name[4])) != 0) {
    e.key = static_cast<unsigned char>(rtl::UpCase(name[4]));
    e.shift.alt = true;
  } else {
    throw ScriptError("unknown key '" + name + "'");
  }
  return e;
}

void DescribeControls(const rtl::TWinControl& parent, const rtl::TCustomForm& form, std::ostream& out) {
  for (const rtl::TControl* control : parent.Controls()) {
    if (!control->Visible()) continue;
    const auto* edit = dynamic_cast<const rtl::TEdit*>(control);
    const bool textual = edit != nullptr || dynamic_cast<const rtl::TButton*>(control) != nullptr ||
                         dynamic_cast<const rtl::TLabel*>(control) != nullptr;
    if (textual) {
      const rtl::AnsiString shown = edit != nullptr ? edit->DisplayText() : control->Caption();
      out << (form.ActiveControl() == control ? "* " : "  ") << control->Name() << " \"" << TerminalText(shown) << "\""
          << (control->Enabled() ? "" : " (disabled)") << "\n";
    }
    if (const auto* win = dynamic_cast<const rtl::TWinControl*>(control)) DescribeControls(*win, form, out);
  }
}

// A plain description of the form (UTF-8) for people and tests.
void DescribeForm(const rtl::TCustomForm& form, std::ostream& out) {
  out << "[form] " << TerminalText(form.Caption()) << "\n";
  DescribeControls(form, form, out);
}

}  // namespace

ScriptFrontEnd::ScriptFrontEnd(std::vector<std::string> commands, std::ostream& out, SessionLog& log)
    : HostFrontEnd(log), commands_(std::move(commands)), out_(out) {}

bool ScriptFrontEnd::RunModal(rtl::ModalSession& session) {
  while (!session.Ended()) {
    if (next_ >= commands_.size()) {
      Log().inputRanOut = true;
      return false;
    }
    const int beeps = Log().beeps;
    Run(session, commands_[next_++]);
    if (Log().beeps != beeps) out_ << "[beep]\n";  // once per command, however much it refused
  }
  return true;
}

void ScriptFrontEnd::Run(rtl::ModalSession& session, const std::string& command) {
  const std::size_t space = command.find(' ');
  const std::string verb = command.substr(0, space);
  const std::string argument = space == std::string::npos ? std::string() : command.substr(space + 1);
  rtl::TCustomForm* form = session.Form();
  if (verb == "type") {
    rtl::InputEvent e;
    e.kind = rtl::InputEvent::Kind::Text;
    try {
      e.text = rtl::Utf8ToGbk(argument);
    } catch (const rtl::EConvertError&) {
      throw ScriptError("text cannot be typed in GBK: " + argument);
    }
    Deliver(session, e);
  } else if (verb == "key") {
    Deliver(session, KeyEvent(argument));
  } else if (verb == "click") {
    rtl::InputEvent e;
    e.kind = rtl::InputEvent::Kind::Click;
    e.control = dynamic_cast<rtl::TControl*>(form->FindComponent(argument));
    if (e.control == nullptr) throw ScriptError("no control named '" + argument + "'");
    Deliver(session, e);
  } else if (verb == "close") {
    rtl::InputEvent e;
    e.kind = rtl::InputEvent::Kind::Close;
    Deliver(session, e);
  } else if (verb == "show") {
    DescribeForm(*form, out_);
  } else if (!verb.empty() && verb[0] != '#') {
    throw ScriptError("unknown command '" + command + "'");
  }
}

void ScriptFrontEnd::PresentMessage(const rtl::AnsiString&, const rtl::AnsiString& text, rtl::TMsgKind kind) {
  out_ << MessageLine(text, kind) << "\n";
}

}  // namespace host
