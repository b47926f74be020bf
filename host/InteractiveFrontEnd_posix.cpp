#include "host/InteractiveFrontEnd.h"
#include "host/TerminalFrontEnd.h"

namespace host {

std::unique_ptr<HostFrontEnd> MakeInteractiveFrontEnd(SessionLog& log, std::ostream&) {
  return std::make_unique<TerminalFrontEnd>(log);
}

}  // namespace host
