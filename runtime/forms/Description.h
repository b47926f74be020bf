// Form descriptions: the layout, properties and event bindings of a form.
// Authors write them as text (tools/FormText.h); the build compiles each
// into its binary form (FormStream.h), which the module's resources carry
// under the form class's name and which is read here when a form is built.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "runtime/components/Properties.h"

namespace rtl {

class TCustomForm;

struct DescriptionNode {
  bool inherited = false;
  std::string name;
  std::string className;
  std::vector<std::pair<std::string, PropertyValue>> properties;
  std::vector<DescriptionNode> children;
};

// Reads a compiled description; raises EReadError, naming the byte, for
// data that is damaged, truncated or nested deeper than the format allows.
// Binary values refer to data, which must outlive the node (a module's
// resources do while the module is loaded).
DescriptionNode ReadDescription(std::span<const std::uint8_t> data);

// Applies a read description to form: creates the components it lists,
// binds them to the form's published fields, sets their properties and binds
// their events to the form's published methods. Raises EReadError for an
// unknown class, property or handler.
void ApplyDescription(TCustomForm& form, const DescriptionNode& root);

}  // namespace rtl
