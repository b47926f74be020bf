// Loads a Velmora library by path and resolves its four entry points by
// name. A failure names the library and, for a missing entry point, the
// symbol; the library is closed again on every failure path.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "context/UHollinObjValueClass.h"
#include "runtime/forms/Form.h"
#include "runtime/module/Export.h"

namespace host {

class LoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The two editions' entry points, in the libraries' calling convention
// (stdcall on 32-bit Windows). CreateModule takes 8 arguments in the
// context edition (the 7th the host context) and 7 in the automation edition.
using CreateModuleContextFn = std::int32_t(VELMORA_CALL*)(rtl::TCustomForm**, std::int32_t, std::int32_t,
                                                          std::int32_t, std::int32_t, std::int32_t, THostContext*,
                                                          std::int32_t*);
using CreateModuleAutomationFn = std::int32_t(VELMORA_CALL*)(rtl::TCustomForm**, std::int32_t, std::int32_t,
                                                             std::int32_t, std::int32_t, std::int32_t, std::int32_t*);
using FreeModuleFn = std::int32_t(VELMORA_CALL*)(rtl::TCustomForm**);
using RefreshModuleFn = std::int32_t(VELMORA_CALL*)(std::int32_t, std::int32_t);
using GetModuleInfoFn = std::int32_t(VELMORA_CALL*)(std::int32_t, char**);

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
  CreateModuleContextFn CreateModuleContext() const noexcept;
  CreateModuleAutomationFn CreateModuleAutomation() const noexcept;
  FreeModuleFn FreeModule() const noexcept { return freeModule_; }
  RefreshModuleFn RefreshModule() const noexcept { return refreshModule_; }
  GetModuleInfoFn GetModuleInfo() const noexcept { return getModuleInfo_; }

 private:
  void* Resolve(const char* name);

  std::string path_;
  void* handle_ = nullptr;
  void* createModule_ = nullptr;
  FreeModuleFn freeModule_ = nullptr;
  RefreshModuleFn refreshModule_ = nullptr;
  GetModuleInfoFn getModuleInfo_ = nullptr;
};

}  // namespace host
