// The platform's headers for the native dialogs. Their macros (VK_RETURN,
// WM_NEXTDLGCTL, S_OK, ...) would replace the runtime's constants of the
// same names, so the runtime's headers are read first; after this header
// the platform's names are the ones in force (with the same values).
#pragma once

#include "runtime/components/Keys.h"
#include "runtime/controls/Control.h"
#include "runtime/except/HResult.h"
#include "runtime/module/Module.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on
