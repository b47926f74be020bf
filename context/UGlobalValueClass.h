// Declarations the module shares with its host: the display kind and the
// module descriptor GetModuleInfo hands out.
#pragma once

#include <cstdint>

#include "contract/VelmoraContract.h"

namespace context {

// What CreateModule writes through its last argument.
inline constexpr std::int32_t ModuleDisplayKind = velmora::ContextDisplayKind;

// Module name, group key (caption), entry name (caption), two numbers; each
// field followed by a comma. GBK once compiled.
inline constexpr char ModuleDescriptor[] = "Corvane,Logic(业务管理),Pellith(参合门诊报销登记),2(1),";

}  // namespace context
