// Captions mark their accelerator with an ampersand: "确定(&S)" is pressed
// with Alt+S. "&&" stands for one ampersand, and a trailing ampersand is
// shown as it is. Double-byte characters are taken whole, so a trail byte is
// never read as an ampersand.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "runtime/text/Text.h"

namespace rtl {

// The caption as shown, without its marking ampersands. When accelerator is
// given, it receives the position in the result of the first accelerator
// character, or npos when there is none.
AnsiString StripAccelerator(std::string_view caption, std::size_t* accelerator = nullptr);

// The accelerator letter of a caption, upper-cased; NUL when it has none or
// when the marked character is a double-byte one.
char AcceleratorOf(std::string_view caption);

}  // namespace rtl
