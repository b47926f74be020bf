#include "host/frontends/ScriptFrontEnd.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "host/frontends/ControlView.h"
#include "host/frontends/TerminalText.h"
#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"
#include "runtime/text/Unicode.h"

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

// The text as GBK; names the first character GBK has not, as a whole code point.
rtl::AnsiString TypedText(const std::string& utf8) {
  rtl::WideString wide;
  try {
    wide = rtl::Utf8ToWide(utf8);
  } catch (const rtl::EConvertError&) {
    throw ScriptError("the text to type is not UTF-8");
  }
  rtl::AnsiString gbk;
  for (std::size_t at = 0; at < wide.size();) {
    const bool pair = at + 1 < wide.size() && wide[at] >= 0xD800 && wide[at] <= 0xDBFF;
    const std::size_t length = pair ? 2 : 1;
    try {
      gbk += rtl::WideToGbk(wide.substr(at, length));
    } catch (const rtl::EConvertError&) {
      const auto unit = [&](std::size_t i) { return static_cast<std::uint32_t>(wide[i]); };
      const std::uint32_t code = pair ? 0x10000 + ((unit(at) - 0xD800) << 10) + (unit(at + 1) - 0xDC00) : unit(at);
      char name[16];
      std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
      throw ScriptError(std::string(name) + " cannot be typed: GBK has no such character");
    }
    at += length;
  }
  return gbk;
}

void DescribeForm(const rtl::TCustomForm& form, std::ostream& out) {
  out << "[form] " << TerminalText(form.Caption()) << "\n";
  for (const ControlView& view : ViewControls(form)) {
    if (!view.shown || !ShowsText(view.kind)) continue;
    out << (view.focused ? "* " : "  ") << view.control->Name() << " \"" << TerminalText(ShownText(*view.control))
        << "\"" << (view.enabled ? "" : " (disabled)") << "\n";
  }
}

}  // namespace

ScriptFrontEnd::Command ScriptFrontEnd::Parse(const std::string& line) {
  const std::size_t space = line.find(' ');
  const std::string verb = line.substr(0, space);
  const std::string argument = space == std::string::npos ? std::string() : line.substr(space + 1);
  Command c;
  if (verb == "type") {
    c.event.kind = rtl::InputEvent::Kind::Text;
    c.event.text = TypedText(argument);
  } else if (verb == "key") {
    c.event = KeyEvent(argument);
  } else if (verb == "click") {
    c.verb = Command::Verb::Click;
    c.control = argument;
  } else if (verb == "close") {
    c.event.kind = rtl::InputEvent::Kind::Close;
  } else if (verb == "show") {
    c.verb = Command::Verb::Show;
  } else {
    throw ScriptError("unknown command '" + line + "'");
  }
  return c;
}

ScriptFrontEnd::ScriptFrontEnd(const std::vector<std::string>& commands, std::ostream& out) : out_(out) {
  for (const std::string& line : commands) {
    if (line.empty() || line[0] == '#') continue;
    try {
      commands_.push_back(Parse(line));
    } catch (const ScriptError& e) {
      throw ScriptError("script command \"" + TerminalUtf8(line) + "\": " + e.what());
    }
  }
}

bool ScriptFrontEnd::RunModal(rtl::ModalSession& session) {
  while (!session.Ended()) {
    if (next_ >= commands_.size()) return false;
    const int beeps = beeps_;
    Run(session, commands_[next_++]);
    if (beeps_ != beeps) out_ << "[beep]\n";  // once per command, however much it refused
  }
  return true;
}

void ScriptFrontEnd::Run(rtl::ModalSession& session, const Command& command) {
  switch (command.verb) {
    case Command::Verb::Input: session.Deliver(command.event); break;
    case Command::Verb::Click: {
      rtl::InputEvent e;
      e.kind = rtl::InputEvent::Kind::Click;
      e.control = dynamic_cast<rtl::TControl*>(session.Form()->FindComponent(command.control));
      if (e.control == nullptr)
        throw ScriptError("script command \"click " + TerminalUtf8(command.control) + "\": no such control");
      session.Deliver(e);
      break;
    }
    case Command::Verb::Show: DescribeForm(*session.Form(), out_); break;
  }
}

void ScriptFrontEnd::ShowMessage(const rtl::AnsiString&, const rtl::AnsiString& text, rtl::TMsgKind kind) {
  out_ << MessageLine(text, kind) << "\n";
}

}  // namespace host
