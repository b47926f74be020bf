// Key codes, shift states and window messages the form runtime understands.
#pragma once

#include <cstdint>

namespace rtl {

using Word = std::uint16_t;

constexpr Word VK_BACK = 8;
constexpr Word VK_TAB = 9;
constexpr Word VK_RETURN = 13;
constexpr Word VK_ESCAPE = 27;
constexpr Word VK_SPACE = 32;
constexpr Word VK_LEFT = 37;
constexpr Word VK_UP = 38;
constexpr Word VK_RIGHT = 39;
constexpr Word VK_DOWN = 40;
constexpr Word VK_DELETE = 46;

struct TShiftState {
  bool shift = false;
  bool alt = false;
  bool ctrl = false;
};

constexpr std::uint32_t WM_NEXTDLGCTL = 0x0028;

// Modal results.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

}  // namespace rtl
