#include "host/HostFrontEnd.h"

#include "runtime/text/Gbk.h"

namespace host {

std::string TerminalText(std::string_view gbk) {
  const char* const replacement = reinterpret_cast<const char*>(u8"\uFFFD");
  std::string out;
  for (const char c : rtl::GbkToUtf8Display(gbk)) {
    // Control characters are single bytes in UTF-8, never part of a longer sequence.
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out += replacement;
    } else {
      out += c;
    }
  }
  return out;
}

std::string MessageLine(std::string_view gbk, rtl::TMsgKind kind) {
  const char* name = "message";
  switch (kind) {
    case rtl::TMsgKind::Information: name = "information"; break;
    case rtl::TMsgKind::Warning: name = "warning"; break;
    case rtl::TMsgKind::Error: name = "error"; break;
  }
  return std::string("[") + name + "] " + TerminalText(gbk);
}

void HostFrontEnd::ShowMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) {
  log_.messages.push_back({kind, rtl::GbkToUtf8Display(text)});
  PresentMessage(caption, text, kind);
}

void HostFrontEnd::Beep() {
  ++log_.beeps;
  PresentBeep();
}

void HostFrontEnd::Deliver(rtl::ModalSession& session, const rtl::InputEvent& event) {
  const std::size_t before = log_.messages.size();
  session.Deliver(event);
  if (!session.Ended()) return;
  for (std::size_t i = before; i < log_.messages.size(); ++i) {
    if (log_.messages[i].kind != rtl::TMsgKind::Information) log_.closedAfterAlert = true;
  }
}

}  // namespace host
