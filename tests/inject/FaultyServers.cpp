#include "tests/inject/FaultyServers.h"

#include "contract/VelmoraContract.h"
#include "host/AutomationServers.h"
#include "tests/inject/FaultyDispatch.h"

namespace velmora::test {
namespace {

rtl::ComServerFactory Faulty(const char* progId, FaultPlan& plan, std::function<rtl::DispatchPtr()> make) {
  return [progId, &plan, make = std::move(make)](rtl::DispatchPtr& out) {
    if (const Fault* fault = plan.Take(std::string("create ") + progId)) {
      if (fault->kind == FaultKind::Fails) return rtl::CO_E_SERVER_EXEC_FAILURE;
      return rtl::S_OK;  // and no object
    }
    return rtl::SafeCallBoundary([&] { out = FaultyDispatch::Wrap(make(), plan); });
  };
}

}  // namespace

FaultyServers::FaultyServers(host::Database& db, const host::UserRecord& user, host::SessionLog& log, FaultPlan& plan)
    : funcStorage_(TarnCore::FuncStorageProgID,
                   Faulty(TarnCore::FuncStorageProgID, plan, [user] { return host::NewFuncStorage(user); })),
      dataCtl_(TarnCore::DataCtlProgID,
               Faulty(TarnCore::DataCtlProgID, plan, [&db, &log] { return host::NewDataCtl(db, log); })) {}

}  // namespace velmora::test
