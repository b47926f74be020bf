// On ELF platforms the resource blob is the section "velmora_rsrc". The file
// is read with elfutils' libelf, which checks every offset and size of the
// file's tables against the file itself.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "host/loader/ResourceSection.h"

namespace host {

inline constexpr const char* kResourceSectionName = "velmora_rsrc";

// The bytes of the resource section of the ELF file held in image (which
// libelf may use as scratch space). Raises ResourceError for anything else.
std::vector<std::uint8_t> ElfResourceSection(std::span<char> image);

}  // namespace host
