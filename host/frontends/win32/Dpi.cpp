#include "host/frontends/win32/Dpi.h"

namespace host::win32 {
namespace {

// A function of user32 that an older system lacks, or null.
template <class Function>
Function User32(const char* name) noexcept {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  // Through a function type without arguments, which may be cast to any other.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

using SetThreadDpiAwarenessContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

}  // namespace

DpiAwareThread::DpiAwareThread() noexcept {
  const auto set = User32<SetThreadDpiAwarenessContextFn>("SetThreadDpiAwarenessContext");
  if (set == nullptr) return;
  // The second version also scales the frame and the common controls; systems before it know the first.
  previous_ = set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  if (previous_ == nullptr) previous_ = set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

DpiAwareThread::~DpiAwareThread() {
  if (previous_ == nullptr) return;
  if (const auto set = User32<SetThreadDpiAwarenessContextFn>("SetThreadDpiAwarenessContext")) set(previous_);
}

int WindowDpi(HWND window) noexcept {
  if (const auto get = User32<GetDpiForWindowFn>("GetDpiForWindow"); get != nullptr && window != nullptr) {
    if (const UINT dpi = get(window); dpi != 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

void OuterRect(RECT& client, DWORD style, DWORD exStyle, int dpi) noexcept {
  if (const auto adjust = User32<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi")) {
    if (adjust(&client, style, FALSE, exStyle, static_cast<UINT>(dpi)) != 0) return;
  }
  AdjustWindowRectEx(&client, style, FALSE, exStyle);
}

}  // namespace host::win32
