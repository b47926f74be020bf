// The printing system's resource strings, carried by this library with
// their English defaults in its string table. While the library is loaded
// they are registered by name with the suite's resource-strings repository
// as the product "ExpressPrinting System".
#pragma once

#include "ContextStrings.h"
#include "runtime/units/Units.h"

namespace context {

inline constexpr const char* PrintingSystemProduct = "ExpressPrinting System";

void dxPSResInitialization();
void dxPSResFinalization();

}  // namespace context
