// Declarations the module shares with its host: the display-kind value and
// the module descriptor GetModuleInfo hands out.
#pragma once

#include <cstdint>

namespace context {

// What CreateModule writes through its last argument; the host gives it meaning.
inline constexpr std::int32_t ModuleDisplayKind = 1;

// Module name, group key (caption), entry name (caption), two numbers; each
// field followed by a comma. GBK once compiled.
inline constexpr char ModuleDescriptor[] = "Corvane,Logic(业务管理),Pellith(参合门诊报销登记),2(1),";

}  // namespace context
