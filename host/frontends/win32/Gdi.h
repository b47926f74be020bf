// Owners of the window system's objects: fonts, brushes, bitmaps and icons are
// deleted, windows destroyed, when their owner goes.
#pragma once

#include <utility>

#include "host/frontends/win32/Windows.h"

namespace host::win32 {

template <class H, BOOL(WINAPI* Release)(H)>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H handle) noexcept : handle_(handle) {}
  ~Owned() { reset(); }
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  H get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  void reset(H handle = nullptr) noexcept {
    if (handle_ != nullptr) Release(handle_);
    handle_ = handle;
  }

 private:
  H handle_ = nullptr;
};

// Wrappers, since an imported function's address is no template argument.
inline BOOL WINAPI DeleteFontObject(HFONT font) { return DeleteObject(font); }
inline BOOL WINAPI DeleteBrushObject(HBRUSH brush) { return DeleteObject(brush); }
inline BOOL WINAPI DeleteBitmapObject(HBITMAP bitmap) { return DeleteObject(bitmap); }
inline BOOL WINAPI DestroyOwnedWindow(HWND window) { return DestroyWindow(window); }
inline BOOL WINAPI DestroyOwnedIcon(HICON icon) { return DestroyIcon(icon); }

using OwnedFont = Owned<HFONT, DeleteFontObject>;
using OwnedBrush = Owned<HBRUSH, DeleteBrushObject>;
using OwnedBitmap = Owned<HBITMAP, DeleteBitmapObject>;
using OwnedWindow = Owned<HWND, DestroyOwnedWindow>;
using OwnedIcon = Owned<HICON, DestroyOwnedIcon>;

}  // namespace host::win32
