#include "runtime/plugin/PluginLibrary.h"

#include <string>

#include "runtime/module/PlatformImage.h"

namespace rtl {

void PluginLibrary::Load(const char* name, ResourceSource resources, std::span<const UnitEntry> units,
                         HINST& instance) noexcept {
  try {
    // The module is known by its file, so two libraries of one name stay apart.
    const std::string file = platform::ImageFileName(&instance);
    module_ = new TLibModule(file.empty() ? std::string(name) : file, resources);
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
  const apartment::UnloadScope loaderLock;
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
