// The platform's side of modules: the loaded image (library or program)
// that holds an address, its file, and its resources where the platform
// keeps resources in images (Windows). Nothing here raises.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace rtl::platform {

// The platform's handle of the image that holds address; nullptr where
// images carry no platform resources.
void* ImageAt(const void* address) noexcept;

// The file of the image that holds address (UTF-8); empty when unknown.
std::string ImageFileName(const void* address);

// A resource of the image by type and id or name; nothing when it has none.
std::optional<std::span<const std::uint8_t>> FindImageResource(void* image, std::uint16_t type, std::uint32_t id);
std::optional<std::span<const std::uint8_t>> FindImageResource(void* image, std::uint16_t type, std::string_view name);

// A string of the image's string table through the platform's string loader.
std::optional<std::u16string> LoadImageString(void* image, std::uint32_t id);

}  // namespace rtl::platform
