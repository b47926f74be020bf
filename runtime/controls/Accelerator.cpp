#include "runtime/controls/Accelerator.h"

#include <algorithm>

#include "runtime/text/Gbk.h"

namespace rtl {

AnsiString StripAccelerator(std::string_view caption, std::size_t* accelerator) {
  AnsiString shown;
  std::size_t marked = std::string::npos;
  for (std::size_t i = 0; i < caption.size();) {
    if (caption[i] == '&' && i + 1 < caption.size()) {
      ++i;  // the marker goes; of "&&" one ampersand stays
      if (caption[i] != '&' && marked == std::string::npos) marked = shown.size();
    }
    const std::size_t length = std::max<std::size_t>(GbkCharLength(caption, i), 1);
    shown.append(caption.substr(i, length));
    i += length;
  }
  if (accelerator != nullptr) *accelerator = marked;
  return shown;
}

char AcceleratorOf(std::string_view caption) {
  std::size_t at = 0;
  const AnsiString shown = StripAccelerator(caption, &at);
  if (at == std::string::npos || GbkCharLength(shown, at) == 2) return '\0';
  return UpCase(shown[at]);
}

}  // namespace rtl
