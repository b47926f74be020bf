// Key codes and shift states: what key events carry.
#pragma once

#include <cstdint>

namespace rtl {

using Word = std::uint16_t;

constexpr Word VK_BACK = 8;
constexpr Word VK_TAB = 9;
constexpr Word VK_RETURN = 13;
constexpr Word VK_ESCAPE = 27;
constexpr Word VK_SPACE = 32;

struct TShiftState {
  bool shift = false;
  bool alt = false;
  bool ctrl = false;
};

}  // namespace rtl
