// Storage for a module-wide object that is constructed once and never
// destroyed. A process that exits with libraries still loaded runs the exit
// handlers, which destroy ordinary statics, before it runs the libraries'
// unload code; whatever unload code reaches must therefore not be destroyed
// by them. The object stays reachable from here, so the leak checker does
// not count what it holds. When T can be made at compile time, so can the
// storage: it may then be constinit.
#pragma once

#include <utility>

namespace rtl {

template <class T>
class NoDestructor {
 public:
  template <class... Args>
  constexpr explicit NoDestructor(Args&&... args) : value_(std::forward<Args>(args)...) {}
  // Leaves the object alone. (= default would be deleted for a T with a
  // destructor of its own.)
  ~NoDestructor() {}  // NOLINT(modernize-use-equals-default)
  NoDestructor(const NoDestructor&) = delete;
  NoDestructor& operator=(const NoDestructor&) = delete;

  constexpr T& operator*() noexcept { return value_; }
  constexpr T* operator->() noexcept { return &value_; }
  constexpr T* get() noexcept { return &value_; }

 private:
  union {
    T value_;
  };
};

}  // namespace rtl
