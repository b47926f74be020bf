// Storage for a module-wide object that is constructed once and never
// destroyed. A process that exits with libraries still loaded runs the exit
// handlers, which destroy ordinary statics, before it runs the libraries'
// unload code; whatever unload code reaches must therefore not be destroyed
// by them. The object stays reachable from here, so the leak checker does
// not count what it holds.
#pragma once

#include <new>
#include <utility>

namespace rtl {

template <class T>
class NoDestructor {
 public:
  template <class... Args>
  explicit NoDestructor(Args&&... args) {
    new (storage_) T(std::forward<Args>(args)...);
  }
  NoDestructor(const NoDestructor&) = delete;
  NoDestructor& operator=(const NoDestructor&) = delete;

  T& operator*() noexcept { return *get(); }
  T* operator->() noexcept { return get(); }
  T* get() noexcept { return std::launder(reinterpret_cast<T*>(storage_)); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace rtl
