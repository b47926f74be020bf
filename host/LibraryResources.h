// Reading a Velmora library's resources from its file, without loading it,
// and the readers of the resources the host shows: version information and
// icons. Every read is checked against the bytes it reads from.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/ResourceSection.h"
#include "runtime/module/Module.h"

namespace host {

// The library's resource blob and its directory. Raises ResourceError, naming
// the file, for a file without a well-formed resource blob.
class LibraryResources {
 public:
  explicit LibraryResources(const std::string& path);
  const rtl::ResourceDirectory& Directory() const noexcept { return directory_; }

 private:
  std::vector<std::uint8_t> blob_;
  rtl::ResourceDirectory directory_;
};

struct VersionInfo {
  std::array<std::uint16_t, 4> fileVersion{};
  std::array<std::uint16_t, 4> productVersion{};
  std::uint16_t language = 0;
  std::uint16_t codePage = 0;
  std::vector<std::pair<std::string, std::string>> strings;  // UTF-8 key, value
};

// Parses a version resource; raises ResourceError when it is malformed.
VersionInfo ParseVersionInfo(std::span<const std::uint8_t> data);

struct IconPicture {
  int width = 0, height = 0, bitCount = 0;
  std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, row 0 at the top; alpha 0 where transparent

  // The index of pixel (x, y) in pixels.
  std::size_t Index(int x, int y) const noexcept {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
  }
  std::uint32_t At(int x, int y) const { return pixels.at(Index(x, y)); }
};

// Decodes one icon image (a device-independent bitmap with its mask).
IconPicture DecodeIconImage(std::span<const std::uint8_t> dib);

// The images of a group icon, in the group's order.
std::vector<IconPicture> LoadGroupIcon(const rtl::ResourceDirectory& directory, std::string_view name);

}  // namespace host
