// A library file: its resource section found through the ELF tables, then
// every resource in it read.
#include <vector>

#include "host/loader/posix/ElfResourceSection.h"
#include "tests/fuzz/ResourceWalk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<char> image(data, data + size);  // libelf may write to its image
  std::vector<std::uint8_t> blob;
  try {
    blob = host::ElfResourceSection(image);
  } catch (const host::ResourceError&) {
    return 0;
  }
  fuzz::WalkResources(blob);
  return 0;
}
