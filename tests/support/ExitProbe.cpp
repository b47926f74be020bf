// velmora_exit_probe EDITION-LIBRARY context|automation dialog|none return|exit
// A host that loads an edition and ends the process with the library still
// loaded (and, with "dialog", one dialog still alive): by returning from
// main or by calling exit(). It exits with status 0 when nothing crashed.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "contract/VelmoraContract.h"
#include "host/loader/LoadedModule.h"
#include "runtime/dispatch/AutoObject.h"
#include "runtime/dispatch/ComServers.h"

namespace {

// A context the dialog is made with; nothing calls it before it is shown.
class IdleContext final : public THostContext {
 public:
  rtl::HResult OpenSQL(const rtl::WideString&, rtl::Variant&, rtl::ErrorInfo&) noexcept override { return rtl::E_FAIL; }
  rtl::HResult ExecSQL(const rtl::WideString&, rtl::ErrorInfo&) noexcept override { return rtl::E_FAIL; }
  rtl::HResult EncodePassword(const rtl::AnsiString&, rtl::AnsiString&, rtl::ErrorInfo&) noexcept override {
    return rtl::E_FAIL;
  }
};

// Answers what the automation dialog's create handler asks.
class IdleServer final : public rtl::TAutoObject {
 public:
  IdleServer() {
    AddMember("UserName", 0, [](std::span<rtl::Variant>) { return rtl::Variant("probe"); });
    AddMember("UserID", 0, [](std::span<rtl::Variant>) { return rtl::Variant("probe"); });
  }
};

rtl::HResult MakeIdleServer(rtl::DispatchPtr& out) {
  return rtl::SafeCallBoundary([&] { out = rtl::TAutoObject::Create<IdleServer>(); });
}

// Loaded for the rest of the process: never unloaded by this host.
host::LoadedModule* Module = nullptr;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fputs("usage: velmora_exit_probe LIBRARY context|automation dialog|none return|exit\n", stderr);
    return 64;
  }
  const bool contextEdition = std::string_view(argv[2]) == "context";
  const bool dialog = std::string_view(argv[3]) == "dialog";
  const bool callExit = std::string_view(argv[4]) == "exit";
  IdleContext context;
  const rtl::ComServerRegistration funcStorage("TarnCore.FuncStorage", &MakeIdleServer);
  const rtl::ComServerRegistration dataCtl("TarnCore.DataCtl", &MakeIdleServer);
  Module = new host::LoadedModule(argv[1]);
  if (dialog) {
    rtl::TCustomForm* form = nullptr;
    std::int32_t kind = 0;
    const std::int32_t status = contextEdition ? Module->CreateModuleContext()(&form, 0, 0, 0, 0, 0, &context, &kind)
                                               : Module->CreateModuleAutomation()(&form, 0, 0, 0, 0, 0, &kind);
    if (status != 0 || form == nullptr) {
      std::fputs("velmora_exit_probe: CreateModule failed\n", stderr);
      return 2;
    }
  }
  std::fflush(stdout);
  if (callExit) std::exit(0);
  return 0;
}
