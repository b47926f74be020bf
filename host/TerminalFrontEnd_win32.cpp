// The terminal front end needs a raw POSIX terminal; on Windows the host
// runs its dialogs under a script (--script, --do) instead.
#include <stdexcept>

#include "host/TerminalFrontEnd.h"

namespace host {

TerminalFrontEnd::TerminalFrontEnd(SessionLog& log) : HostFrontEnd(log) {
  throw std::runtime_error("no terminal front end on Windows: give the dialog's input with --script or --do");
}

TerminalFrontEnd::~TerminalFrontEnd() = default;

bool TerminalFrontEnd::RunModal(rtl::ModalSession&) { return false; }

void TerminalFrontEnd::PresentMessage(const rtl::AnsiString&, const rtl::AnsiString&, rtl::TMsgKind) {}

void TerminalFrontEnd::PresentBeep() {}

}  // namespace host
