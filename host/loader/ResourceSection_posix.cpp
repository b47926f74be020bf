// On ELF platforms the library file is read whole and its resource section
// taken out of it; nothing of the library is loaded or run.
#include <fstream>
#include <iterator>

#include "host/loader/ResourceSection.h"
#include "host/loader/posix/ElfResourceSection.h"

namespace host {

std::vector<std::uint8_t> ReadResourceSection(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ResourceError("cannot read '" + path + "'");
  std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ResourceError("cannot read '" + path + "'");
  try {
    return ElfResourceSection(image);
  } catch (const ResourceError& e) {
    throw ResourceError("'" + path + "' " + e.what());
  }
}

}  // namespace host
