// A library that looks like the automation edition by its resources but
// exports only CreateModule, so that a host must refuse it by name of the
// first entry point it lacks.
#include <cstdint>
#include <span>

#include "PartialResources.h"
#include "contract/VelmoraContract.h"
#include "runtime/module/Module.h"

extern "C" VELMORA_EXPORT std::int32_t VELMORA_CALL CreateModule(void**, std::int32_t, std::int32_t, std::int32_t,
                                                                 std::int32_t, std::int32_t, std::int32_t*) {
  return velmora::test::PartialResources().Empty() ? 1 : 0;
}
