#include "suite/Decorations.h"

namespace suite {

bool Decorations::Accept(std::string_view name, const rtl::PropertyValue& value,
                         std::initializer_list<std::string_view> accepted) {
  for (std::string_view candidate : accepted) {
    if (candidate == name) {
      values_.insert_or_assign(std::string(name), value);
      return true;
    }
  }
  return false;
}

const rtl::PropertyValue* Decorations::Find(std::string_view name) const {
  const auto it = values_.find(name);
  return it == values_.end() ? nullptr : &it->second;
}

}  // namespace suite
