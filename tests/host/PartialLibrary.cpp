// A library that looks like the automation edition by its resources but
// exports only CreateModule, so that a host must refuse it by name of the
// first entry point it lacks.
#include <cstdint>
#include <span>

#include "contract/VelmoraContract.h"
#include "runtime/module/Module.h"

rtl::ResourceSource PartialResources();

extern "C" VELMORA_EXPORT std::int32_t VELMORA_CALL CreateModule(void**, std::int32_t, std::int32_t, std::int32_t,
                                                                 std::int32_t, std::int32_t, std::int32_t*) {
  return PartialResources().Empty() ? 1 : 0;
}
