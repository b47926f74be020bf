// The display's pixels per inch as a window meets them. The functions for
// them came with later systems, so each is looked up where it is called and
// an older system gets what it had: one pixels-per-inch for the whole screen.
#pragma once

#include "host/frontends/win32/Windows.h"

namespace host::win32 {

// While it lives, the windows the thread creates draw for their display's
// pixels per inch (each monitor's) themselves instead of being stretched
// by the system; it puts back what the thread had when it goes.
class DpiAwareThread {
 public:
  DpiAwareThread() noexcept;
  ~DpiAwareThread();
  DpiAwareThread(const DpiAwareThread&) = delete;
  DpiAwareThread& operator=(const DpiAwareThread&) = delete;

 private:
  DPI_AWARENESS_CONTEXT previous_ = nullptr;  // null when nothing was changed
};

// The pixels per inch of the display the window is on: the window's own
// where the system tells it, else the screen's.
int WindowDpi(HWND window) noexcept;

// The window's outer rectangle around a client rectangle, with the frame
// and caption of a display of dpi pixels per inch where the system can.
void OuterRect(RECT& client, DWORD style, DWORD exStyle, int dpi) noexcept;

}  // namespace host::win32
