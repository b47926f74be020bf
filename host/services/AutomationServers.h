// The host's two automation servers for the automation edition, registered
// under their ProgIDs for as long as this object lives:
//   TarnCore.FuncStorage  UserName(), UserID()   the signed-in user, as strings
//                         alert(text), prompt(text)  warning / information boxes
//   TarnCore.DataCtl      Opensql(sql)  the query's rows as a data packet, every
//                                       column a string field named as in the result
//                         Execsql(sql)  runs one statement, committing only when it
//                                       changed exactly one row; raises otherwise
// Each CreateOleObject makes a new server object. On Windows they are COM
// classes with fixed CLSIDs, found through their ProgID keys while this
// object lives. Member names match with their letter case, as written. Messages
// are shown through the front end the servers are handed. A failing member
// gives the module a Chinese description and writes its detail to standard
// error.
#pragma once

#include "host/db/HostTables.h"
#include "host/services/ModuleSql.h"
#include "runtime/dispatch/ComServers.h"
#include "runtime/forms/FrontEnd.h"

namespace host {

// The server objects themselves, as CreateOleObject hands them out; for a
// host that registers its servers its own way.
rtl::DispatchPtr NewFuncStorage(const UserRecord& user, rtl::TFrontEnd& screen);
rtl::DispatchPtr NewDataCtl(ModuleSql& sql);

class AutomationServers {
 public:
  AutomationServers(ModuleSql& sql, const UserRecord& user, rtl::TFrontEnd& screen);

 private:
  rtl::ComServerRegistration funcStorage_;
  rtl::ComServerRegistration dataCtl_;
};

}  // namespace host
