// A library's resource blob: the table and every resource in it, read the
// way the host and the runtime read them.
#include "tests/fuzz/ResourceWalk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::WalkResources({data, size});
  return 0;
}
