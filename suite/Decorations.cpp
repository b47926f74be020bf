#include "suite/Decorations.h"

#include <algorithm>

namespace suite {

bool IsDecoration(std::string_view name, std::initializer_list<std::string_view> accepted) noexcept {
  return std::find(accepted.begin(), accepted.end(), name) != accepted.end();
}

}  // namespace suite
