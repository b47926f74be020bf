#include "runtime/module/PluginLibrary.h"

#include <dlfcn.h>

#include <string>

namespace rtl {

void PluginLibrary::Load(const char* name, std::span<const std::uint8_t> resources, std::span<const UnitEntry> units,
                         HINST& instance) noexcept {
  try {
    // The module is known by its file, so two libraries of one name stay apart.
    Dl_info info{};
    const bool found = dladdr(static_cast<const void*>(&instance), &info) != 0 && info.dli_fname != nullptr;
    module_ = new TLibModule(found ? std::string(info.dli_fname) : std::string(name), resources);
    instance = module_;
    RegisterModule(*module_);
    units_ = units;
    name_ = name;
    loadFailed_ = !InitializeUnits(units, name_);
  } catch (...) {
    loadFailed_ = true;
  }
}

void PluginLibrary::Unload(HINST& instance) noexcept {
  if (module_ == nullptr) return;
  // Freeing them was the host's duty; their code is about to go away.
  Application->DestroyFormsOf(module_);
  if (!loadFailed_) FinalizeUnits(units_, name_);
  instance = nullptr;
  UnregisterModule(*module_);
  delete module_;
  module_ = nullptr;
  loadFailed_ = true;
}

}  // namespace rtl
