// The table of component classes that form descriptions may name, filled by
// the libraries that define them while they are loaded.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "runtime/components/Component.h"

namespace rtl {

using ComponentFactory = std::function<TComponent*(TComponent& owner)>;

// Registration of one class for as long as the object lives.
class ClassRegistration {
 public:
  ClassRegistration(std::string className, ComponentFactory factory);
  ~ClassRegistration();
  ClassRegistration(const ClassRegistration&) = delete;
  ClassRegistration& operator=(const ClassRegistration&) = delete;

  template <class T>
  static ClassRegistration Of(std::string className) {
    return ClassRegistration(std::move(className), [](TComponent& owner) -> TComponent* { return Add<T>(owner); });
  }

 private:
  std::string className_;
};

// Creates a component of the named class owned by owner; raises EReadError
// ("Class X not found") for a class nobody registered.
TComponent* CreateComponentOfClass(std::string_view className, TComponent& owner);

}  // namespace rtl
