// Runs one kind of library cycle a number of times, for counting its
// instructions under callgrind. The first cycle is a warm-up: it pays what a
// process pays once (the loader's caches, the runtime's first allocations);
// only the cycles after it are collected, between client requests, so run
// it with --collect-atstart=no. The runtime and the suite stay loaded
// throughout, as they do in a host.
//
// Usage: cycle_driver <empty|context-load|context-cycle|automation-cycle> <library> <cycles>
#include <dlfcn.h>
#include <valgrind/callgrind.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "host/loader/LoadedModule.h"
#include "runtime/dispatch/AutoObject.h"
#include "runtime/dispatch/ComServers.h"
#include "suite/dxCore.h"

namespace {

// Servers that answer the automation dialog's create handler.
class CycleServer final : public rtl::TAutoObject {
 public:
  CycleServer() {
    AddMember("UserName", 0, [](std::span<rtl::Variant>) { return rtl::Variant(rtl::AnsiString("bench")); });
    AddMember("UserID", 0, [](std::span<rtl::Variant>) { return rtl::Variant(rtl::AnsiString("bench")); });
  }
};

void EmptyCycle(const char* path) {
  void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) std::abort();
  dlclose(handle);
}

void ContextLoad(const char* path) { const host::LoadedModule module(path); }

void ContextCycle(const char* path) {
  const host::LoadedModule module(path);
  rtl::TCustomForm* form = nullptr;
  std::int32_t kind = 0;
  if (module.CreateModuleContext()(&form, 0, 0, 0, 0, 0, nullptr, &kind) != 0) std::abort();
  if (module.FreeModule()(&form) != 0) std::abort();
}

void AutomationCycle(const char* path) {
  const host::LoadedModule module(path);
  rtl::TCustomForm* form = nullptr;
  std::int32_t kind = 0;
  if (module.CreateModuleAutomation()(&form, 0, 0, 0, 0, 0, &kind) != 0) std::abort();
  if (module.FreeModule()(&form) != 0) std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr,
                 "usage: cycle_driver <empty|context-load|context-cycle|automation-cycle> <library> <cycles>\n");
    return 64;
  }
  const std::string kind = argv[1];
  void (*cycle)(const char*) = kind == "empty"              ? &EmptyCycle
                               : kind == "context-load"     ? &ContextLoad
                               : kind == "context-cycle"    ? &ContextCycle
                               : kind == "automation-cycle" ? &AutomationCycle
                                                            : nullptr;
  const int cycles = std::atoi(argv[3]);
  if (cycle == nullptr || cycles <= 0) {
    std::fprintf(stderr, "cycle_driver: unknown cycle '%s' or bad count '%s'\n", argv[1], argv[3]);
    return 64;
  }
  const auto factory = [](rtl::DispatchPtr& out) {
    return rtl::SafeCallBoundary([&] { out = rtl::TAutoObject::Create<CycleServer>(); });
  };
  const rtl::ComServerRegistration funcStorage("TarnCore.FuncStorage", factory);
  const rtl::ComServerRegistration dataCtl("TarnCore.DataCtl", factory);
  try {
    cycle(argv[2]);
    CALLGRIND_TOGGLE_COLLECT;
    for (int i = 0; i < cycles; ++i) cycle(argv[2]);
    CALLGRIND_TOGGLE_COLLECT;
    // Every load registered the printing system and every unload removed it.
    if (!suite::dxResourceStringsRepository().ProductNames().empty()) {
      std::fprintf(stderr, "cycle_driver: a product is still registered after the last unload\n");
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "cycle_driver: %s\n", e.what());
    return 1;
  }
  return 0;
}
