#pragma once

#include "runtime/except/Exceptions.h"

namespace rtl {

template <class T>
T& As(TObject* obj) {
  T* result = dynamic_cast<T*>(obj);
  if (result == nullptr) throw EInvalidCast("Invalid class typecast");
  return *result;
}

}  // namespace rtl
