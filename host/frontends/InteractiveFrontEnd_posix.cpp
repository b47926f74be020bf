#include "host/frontends/InteractiveFrontEnd.h"
#include "host/frontends/posix/TerminalFrontEnd.h"

namespace host {

std::unique_ptr<rtl::TFrontEnd> MakeInteractiveFrontEnd(std::ostream&) { return std::make_unique<TerminalFrontEnd>(); }

}  // namespace host
