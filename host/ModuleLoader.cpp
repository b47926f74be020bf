#include "host/ModuleLoader.h"

#include <dlfcn.h>

namespace host {

LoadedModule::LoadedModule(const std::string& path) : path_(path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* reason = dlerror();
    throw LoadError("cannot load library '" + path + "': " + (reason != nullptr ? reason : "unknown reason"));
  }
  try {
    createModule_ = Resolve("CreateModule");
    freeModule_ = reinterpret_cast<FreeModuleFn>(Resolve("FreeModule"));
    refreshModule_ = reinterpret_cast<RefreshModuleFn>(Resolve("RefreshModule"));
    getModuleInfo_ = reinterpret_cast<GetModuleInfoFn>(Resolve("GetModuleInfo"));
  } catch (...) {
    dlclose(handle_);
    handle_ = nullptr;
    throw;
  }
}

LoadedModule::~LoadedModule() {
  if (handle_ != nullptr) dlclose(handle_);
}

void* LoadedModule::Resolve(const char* name) {
  dlerror();
  void* address = dlsym(handle_, name);
  if (address == nullptr) throw LoadError("entry point '" + std::string(name) + "' not found in '" + path_ + "'");
  return address;
}

CreateModuleContextFn LoadedModule::CreateModuleContext() const noexcept {
  return reinterpret_cast<CreateModuleContextFn>(createModule_);
}

CreateModuleAutomationFn LoadedModule::CreateModuleAutomation() const noexcept {
  return reinterpret_cast<CreateModuleAutomationFn>(createModule_);
}

}  // namespace host
