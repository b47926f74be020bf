#include "runtime/module/PluginLibrary.h"

namespace rtl {

void PluginLibrary::Load(const char* name, std::span<const std::uint8_t> resources, std::span<const UnitEntry> units,
                         HINST& instance) noexcept {
  try {
    module_ = new TLibModule(name, resources);
    instance = module_;
    units_ = units;
    loadFailed_ = !InitializeUnits(units);
  } catch (...) {
    loadFailed_ = true;
  }
}

void PluginLibrary::Unload(HINST& instance) noexcept {
  if (module_ == nullptr) return;
  if (!loadFailed_) FinalizeUnits(units_);
  instance = nullptr;
  delete module_;
  module_ = nullptr;
  loadFailed_ = true;
}

}  // namespace rtl
