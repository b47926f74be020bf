#include "host/loader/LoadedModule.h"

#include "host/loader/SharedLibrary.h"

namespace host {

LoadedModule::LoadedModule(const std::string& path) : path_(path) {
  std::string reason;
  handle_ = platform::OpenLibrary(path, reason);
  if (handle_ == nullptr) throw LoadError("cannot load library '" + path + "': " + reason);
  try {
    createModule_ = Resolve(velmora::CreateModuleName);
    freeModule_ = reinterpret_cast<velmora::FreeModuleFn>(Resolve(velmora::FreeModuleName));
    refreshModule_ = reinterpret_cast<velmora::RefreshModuleFn>(Resolve(velmora::RefreshModuleName));
    getModuleInfo_ = reinterpret_cast<velmora::GetModuleInfoFn>(Resolve(velmora::GetModuleInfoName));
  } catch (...) {
    platform::CloseLibrary(handle_);
    handle_ = nullptr;
    throw;
  }
}

LoadedModule::~LoadedModule() {
  if (handle_ != nullptr) platform::CloseLibrary(handle_);
}

void* LoadedModule::Resolve(const char* name) {
  void* address = platform::FindSymbol(handle_, name);
  if (address == nullptr) throw LoadError("entry point '" + std::string(name) + "' not found in '" + path_ + "'");
  return address;
}

velmora::CreateModuleContextFn LoadedModule::CreateModuleContext() const noexcept {
  return reinterpret_cast<velmora::CreateModuleContextFn>(createModule_);
}

velmora::CreateModuleAutomationFn LoadedModule::CreateModuleAutomation() const noexcept {
  return reinterpret_cast<velmora::CreateModuleAutomationFn>(createModule_);
}

}  // namespace host
