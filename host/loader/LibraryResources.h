// Reading a Velmora library's resources from its file, without loading it,
// and its version information. Every read is checked against the bytes it
// reads from; the library's pictures are read by Pictures.h.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/loader/ResourceSection.h"
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

}  // namespace host
