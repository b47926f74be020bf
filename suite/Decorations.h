// Presentation-only properties of the suite's controls (border styles,
// look-and-feel kinds, focus rectangles). Form descriptions set them; the
// front ends may read them; no logic depends on them.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

#include "runtime/components/Properties.h"

namespace suite {

class Decorations {
 public:
  // Stores value when name is one of accepted; returns whether it was.
  bool Accept(std::string_view name, const rtl::PropertyValue& value, std::initializer_list<std::string_view> accepted);
  const rtl::PropertyValue* Find(std::string_view name) const;

 private:
  std::map<std::string, rtl::PropertyValue, std::less<>> values_;
};

}  // namespace suite
