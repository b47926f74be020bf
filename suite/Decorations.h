// Presentation-only properties of the suite's controls (border styles,
// look-and-feel kinds, focus rectangles): form descriptions set them and
// nothing reads them, so a control takes them without keeping them.
#pragma once

#include <initializer_list>
#include <string_view>

namespace suite {

// Whether name is one of the presentation properties a control accepts.
bool IsDecoration(std::string_view name, std::initializer_list<std::string_view> accepted) noexcept;

}  // namespace suite
