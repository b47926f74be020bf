#include "host/frontends/InteractiveFrontEnd.h"
#include "host/frontends/win32/Win32FrontEnd.h"

namespace host {

// The reference host has no main window of its own: the dialog has no owner.
std::unique_ptr<rtl::TFrontEnd> MakeInteractiveFrontEnd(std::ostream& out) {
  return std::make_unique<win32::Win32FrontEnd>(out);
}

}  // namespace host
