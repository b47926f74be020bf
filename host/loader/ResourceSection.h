// The resource blob a library file carries (its layout is in
// runtime/module/Module.h), read from the file without loading or running
// the library. Where in the file the blob sits is the platform's affair.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace host {

class ResourceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The blob's bytes. Raises ResourceError, naming the file, when it cannot be
// read, is not a library of this platform or carries no resources.
std::vector<std::uint8_t> ReadResourceSection(const std::string& path);

}  // namespace host
