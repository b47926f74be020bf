// Reads every resource of a resource blob the way the host and the runtime
// do: icons and group icons, version information, string tables and form
// descriptions. Malformed data must be refused with the readers' own
// exceptions; anything else escaping fails the input.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "host/loader/LibraryResources.h"
#include "host/loader/Pictures.h"
#include "runtime/except/Exceptions.h"
#include "runtime/forms/Description.h"
#include "runtime/module/Module.h"
#include "runtime/module/ResString.h"

namespace fuzz {

template <class Read>
void Refused(Read&& read) {
  try {
    read();
  } catch (const host::ResourceError&) {
  } catch (const rtl::Exception&) {
  }
}

inline void WalkResources(std::span<const std::uint8_t> blob) {
  std::optional<rtl::TLibModule> loaded;
  try {
    loaded.emplace("fuzz", blob);
  } catch (const rtl::EResNotFound&) {
    return;
  }
  const rtl::HINST module = &*loaded;  // string records name the module through such a variable
  for (const rtl::ResourceEntry& entry : module->Resources().Entries()) {
    switch (entry.type) {
      case rtl::RT_ICON: Refused([&] { host::DecodeDib(entry.data, true); }); break;
      case rtl::RT_GROUP_ICON:
        if (!entry.name.empty()) Refused([&] { host::LoadGroupIcon(module->Resources(), entry.name); });
        break;
      case rtl::RT_VERSION: Refused([&] { host::ParseVersionInfo(entry.data); }); break;
      case rtl::RT_STRING:
        for (std::uint32_t i = 0; entry.name.empty() && entry.id > 0 && i < 16; ++i) {
          const rtl::TResStringRec record{&module, (entry.id - 1) * 16 + i};
          Refused([&] { rtl::LoadResString(&record); });
        }
        break;
      case rtl::RT_RCDATA: Refused([&] { rtl::ReadDescription(entry.data); }); break;
      default: break;
    }
  }
}

}  // namespace fuzz
