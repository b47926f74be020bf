// Load, create, free and unload of the editions, beside the load and unload
// of an empty shared library in the same run.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdlib>
#include <span>

#include "ContextResources.h"
#include "context/DevStrConvert.h"
#include "context/UGlobalValue.h"
#include "host/loader/LoadedModule.h"
#include "runtime/dispatch/AutoObject.h"
#include "runtime/dispatch/ComServers.h"
#include "suite/cxClasses.h"

namespace {

void BM_EmptyLibraryLoadUnload(benchmark::State& state) {
  for (auto _ : state) {
    void* handle = dlopen(VELMORA_EMPTY_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) std::abort();
    benchmark::DoNotOptimize(dlsym(handle, "VelmoraBenchEmpty"));
    dlclose(handle);
  }
}
BENCHMARK(BM_EmptyLibraryLoadUnload)->Unit(benchmark::kMicrosecond);

// Loading runs the unit table: the printing-system product is registered
// and the Chinese text table applied; unloading removes the product.
void BM_ContextLoadUnload(benchmark::State& state) {
  for (auto _ : state) {
    host::LoadedModule module(VELMORA_CONTEXT_LIBRARY);
    benchmark::DoNotOptimize(module.CreateModuleAddress());
  }
}
BENCHMARK(BM_ContextLoadUnload)->Unit(benchmark::kMicrosecond);

void BM_ContextLoadCreateFreeUnload(benchmark::State& state) {
  for (auto _ : state) {
    host::LoadedModule module(VELMORA_CONTEXT_LIBRARY);
    rtl::TCustomForm* form = nullptr;
    std::int32_t kind = 0;
    if (module.CreateModuleContext()(&form, 0, 0, 0, 0, 0, nullptr, &kind) != 0) std::abort();
    if (module.FreeModule()(&form) != 0) std::abort();
  }
}
BENCHMARK(BM_ContextLoadCreateFreeUnload)->Unit(benchmark::kMicrosecond);

// The localisation's own share of a load: the Chinese text table handed to
// the suite, as the library's start-up does; as at every load after the
// first, the suite finds it unchanged.
void BM_ApplyChineseTextTable(benchmark::State& state) {
  const rtl::TLibModule module("bench-context", context::ContextResources());
  context::HInstance = &module;
  for (auto _ : state) context::ApplyChineseTexts();
  context::HInstance = nullptr;
}
BENCHMARK(BM_ApplyChineseTextTable)->Unit(benchmark::kMicrosecond);

// Servers that answer the dialog's create handler.
class BenchServer final : public rtl::TAutoObject {
 public:
  BenchServer() {
    AddMember("UserName", 0, [](std::span<rtl::Variant>) { return rtl::Variant(rtl::AnsiString("bench")); });
    AddMember("UserID", 0, [](std::span<rtl::Variant>) { return rtl::Variant(rtl::AnsiString("bench")); });
  }
};

void BM_AutomationLoadCreateFreeUnload(benchmark::State& state) {
  const auto factory = [](rtl::DispatchPtr& out) {
    return rtl::SafeCallBoundary([&] { out = rtl::TAutoObject::Create<BenchServer>(); });
  };
  const rtl::ComServerRegistration funcStorage("TarnCore.FuncStorage", factory);
  const rtl::ComServerRegistration dataCtl("TarnCore.DataCtl", factory);
  for (auto _ : state) {
    host::LoadedModule module(VELMORA_AUTOMATION_LIBRARY);
    rtl::TCustomForm* form = nullptr;
    std::int32_t kind = 0;
    if (module.CreateModuleAutomation()(&form, 0, 0, 0, 0, 0, &kind) != 0) std::abort();
    if (module.FreeModule()(&form) != 0) std::abort();
  }
}
BENCHMARK(BM_AutomationLoadCreateFreeUnload)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
