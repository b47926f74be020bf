// Loads a Velmora library by path and resolves its four entry points by
// name. A failure names the library and, for a missing entry point, the
// symbol; the library is closed again on every failure path.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "contract/VelmoraContract.h"

namespace host {

class LoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class LoadedModule {
 public:
  // Raises LoadError when the library cannot be loaded or lacks an entry point.
  explicit LoadedModule(const std::string& path);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  const std::string& Path() const noexcept { return path_; }
  // The raw address of CreateModule; call it through the edition's signature.
  void* CreateModuleAddress() const noexcept { return createModule_; }
  velmora::CreateModuleContextFn CreateModuleContext() const noexcept;
  velmora::CreateModuleAutomationFn CreateModuleAutomation() const noexcept;
  velmora::FreeModuleFn FreeModule() const noexcept { return freeModule_; }
  velmora::RefreshModuleFn RefreshModule() const noexcept { return refreshModule_; }
  velmora::GetModuleInfoFn GetModuleInfo() const noexcept { return getModuleInfo_; }

 private:
  void* Resolve(const char* name);

  std::string path_;
  void* handle_ = nullptr;
  void* createModule_ = nullptr;
  velmora::FreeModuleFn freeModule_ = nullptr;
  velmora::RefreshModuleFn refreshModule_ = nullptr;
  velmora::GetModuleInfoFn getModuleInfo_ = nullptr;
};

}  // namespace host
