// Version information: refused with ResourceError or read whole.
#include "host/loader/LibraryResources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    host::ParseVersionInfo({data, size});
  } catch (const host::ResourceError&) {
  }
  return 0;
}
