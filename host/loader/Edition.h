// Which edition a library is, as its resources declare it: the host must
// know before it calls CreateModule, whose signature differs between them.
#pragma once

#include <cstdint>

#include "contract/VelmoraContract.h"
#include "runtime/module/Module.h"

namespace host {

// The two editions, each by the display kind its CreateModule writes.
enum class Edition : std::int32_t {
  Context = velmora::ContextDisplayKind,
  Automation = velmora::AutomationDisplayKind,
};

// The edition the library's resources declare; raises LoadError when they
// declare none the host knows.
Edition DetectEdition(const rtl::ResourceDirectory& resources);
const char* EditionName(Edition edition);

}  // namespace host
