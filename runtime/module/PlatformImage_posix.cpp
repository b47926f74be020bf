// Libraries here carry their resources as a blob in their data, so images
// have none of the platform's; only the file name comes from the loader.
#include <dlfcn.h>

#include "runtime/module/PlatformImage.h"

namespace rtl::platform {

void* ImageAt(const void*) noexcept { return nullptr; }

std::string ImageFileName(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  return info.dli_fname;
}

std::optional<std::span<const std::uint8_t>> FindImageResource(void*, std::uint16_t, std::uint32_t) {
  return std::nullopt;
}

std::optional<std::span<const std::uint8_t>> FindImageResource(void*, std::uint16_t, std::string_view) {
  return std::nullopt;
}

std::optional<std::u16string> LoadImageString(void*, std::uint32_t) { return std::nullopt; }

}  // namespace rtl::platform
