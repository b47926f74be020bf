#include "host/HostFrontEnd.h"

#include "runtime/text/Gbk.h"

namespace host {

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
