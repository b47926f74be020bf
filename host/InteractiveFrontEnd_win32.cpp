#include "host/InteractiveFrontEnd.h"
#include "host/win32/Win32FrontEnd.h"

namespace host {

// The reference host has no main window of its own: the dialog has no owner.
std::unique_ptr<HostFrontEnd> MakeInteractiveFrontEnd(SessionLog& log, std::ostream& out) {
  return std::make_unique<win32::Win32FrontEnd>(log, out);
}

}  // namespace host
