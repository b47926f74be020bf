// The reference host's two automation servers, registered under their
// ProgIDs for as long as this object lives, each object behind a
// FaultyDispatch. The plan can also make creating one fail
// ("create TarnCore.FuncStorage": Fails) or hand out no object (Answers).
#pragma once

#include "host/Database.h"
#include "host/HostDatabase.h"
#include "host/SessionLog.h"
#include "runtime/dispatch/ComServers.h"
#include "tests/inject/FaultPlan.h"

namespace velmora::test {

class FaultyServers {
 public:
  FaultyServers(host::Database& db, const host::UserRecord& user, host::SessionLog& log, FaultPlan& plan);

 private:
  rtl::ComServerRegistration funcStorage_;
  rtl::ComServerRegistration dataCtl_;
};

}  // namespace velmora::test
