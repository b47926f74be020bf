#include "host/AutomationServers.h"

#include "context/TarnCore_TLB.h"
#include "host/HostSql.h"
#include "host/MessageBoxes.h"
#include "host/ServiceFailures.h"
#include "runtime/db/DataPacket.h"
#include "runtime/dispatch/AutoObject.h"
#include "runtime/text/Gbk.h"
#include "runtime/text/Unicode.h"

namespace host {
namespace {

class FuncStorage final : public rtl::TAutoObject {
 public:
  explicit FuncStorage(const UserRecord& user) {
    const rtl::WideString name = rtl::Utf8ToWide(user.name);
    const rtl::WideString code = rtl::Utf8ToWide(user.code);
    AddMember("UserName", 0, [name](std::span<rtl::Variant>) { return rtl::Variant(name); });
    AddMember("UserID", 0, [code](std::span<rtl::Variant>) { return rtl::Variant(code); });
    AddMember("alert", 1, ReportingFailures("alert", [](std::span<rtl::Variant> args) {
                ShowHostMessage(TextArg(args, 0), rtl::TMsgKind::Warning);
                return rtl::Variant();
              }));
    AddMember("prompt", 1, ReportingFailures("prompt", [](std::span<rtl::Variant> args) {
                ShowHostMessage(TextArg(args, 0), rtl::TMsgKind::Information);
                return rtl::Variant();
              }));
  }
};

class DataCtl final : public rtl::TAutoObject {
 public:
  DataCtl(Database& db, SessionLog& log) {
    AddMember("Opensql", 1, ReportingFailures("Opensql", [&db](std::span<rtl::Variant> args) {
      TextArg(args, 0);  // a type check: the statement must be text
      const Table table = QueryWide(db, args[0].Target().AsWideString());
      rtl::DataPacket packet;
      for (const std::string& column : table.columns) packet.AddField(rtl::Utf8ToGbk(column), rtl::ftString);
      for (const Row& row : table.rows) {
        rtl::Row values;
        for (const Cell& cell : row) values.push_back(cell ? rtl::Variant(rtl::Utf8ToGbk(*cell)) : rtl::Variant::Null());
        packet.AppendRow(values);
      }
      return rtl::Variant(rtl::EncodeDataPacket(packet));
    }));
    AddMember("Execsql", 1, ReportingFailures("Execsql", [&db, &log](std::span<rtl::Variant> args) {
      TextArg(args, 0);
      ExecuteWide(db, args[0].Target().AsWideString(), log);
      return rtl::Variant();
    }));
  }
};

}  // namespace

rtl::DispatchPtr NewFuncStorage(const UserRecord& user) { return rtl::TAutoObject::Create<FuncStorage>(user); }

rtl::DispatchPtr NewDataCtl(Database& db, SessionLog& log) { return rtl::TAutoObject::Create<DataCtl>(db, log); }

AutomationServers::AutomationServers(Database& db, const UserRecord& user, SessionLog& log)
    : funcStorage_(TarnCore::FuncStorageProgID,
                   [user](rtl::DispatchPtr& out) { return rtl::SafeCallBoundary([&] { out = NewFuncStorage(user); }); }),
      dataCtl_(TarnCore::DataCtlProgID, [&db, &log](rtl::DispatchPtr& out) {
        return rtl::SafeCallBoundary([&] { out = NewDataCtl(db, log); });
      }) {}

}  // namespace host
