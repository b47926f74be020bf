// What the host's front ends share: every message box and every refusal of
// input is recorded in the session log before it is presented, and input is delivered so that a
// dialog that closes itself right after an alert is noticed.
#pragma once

#include <string>
#include <string_view>

#include "host/SessionLog.h"
#include "runtime/forms/FrontEnd.h"

namespace host {

// Text for a terminal (UTF-8), as rtl::GbkToUtf8Display gives it but with
// every control character shown as U+FFFD: no text from the database, the
// host's services or a library may move the cursor, retitle the window or
// otherwise drive the person's terminal.
std::string TerminalText(std::string_view gbk);

// The line a front end writes for a message box, "[<kind>] <text>", its
// text as TerminalText gives it.
std::string MessageLine(std::string_view gbk, rtl::TMsgKind kind);

class HostFrontEnd : public rtl::TFrontEnd {
 public:
  explicit HostFrontEnd(SessionLog& log) : log_(log) {}
  void ShowMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) final;
  void Beep() final;

 protected:
  virtual void PresentMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) = 0;
  virtual void PresentBeep() {}
  void Deliver(rtl::ModalSession& session, const rtl::InputEvent& event);
  SessionLog& Log() noexcept { return log_; }

 private:
  SessionLog& log_;
};

}  // namespace host
