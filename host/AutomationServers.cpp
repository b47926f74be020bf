#include "host/AutomationServers.h"

#include "contract/VelmoraContract.h"
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
    AddMember(TarnCore::FuncStorage::UserName, 0, [name](std::span<rtl::Variant>) { return rtl::Variant(name); });
    AddMember(TarnCore::FuncStorage::UserID, 0, [code](std::span<rtl::Variant>) { return rtl::Variant(code); });
    AddMember(TarnCore::FuncStorage::alert, 1,
              ReportingFailures(TarnCore::FuncStorage::alert, [](std::span<rtl::Variant> args) {
                ShowHostMessage(TextArg(args, 0), rtl::TMsgKind::Warning);
                return rtl::Variant();
              }));
    AddMember(TarnCore::FuncStorage::prompt, 1,
              ReportingFailures(TarnCore::FuncStorage::prompt, [](std::span<rtl::Variant> args) {
                ShowHostMessage(TextArg(args, 0), rtl::TMsgKind::Information);
                return rtl::Variant();
              }));
  }
};

class DataCtl final : public rtl::TAutoObject {
 public:
  DataCtl(Database& db, SessionLog& log) {
    AddMember(TarnCore::DataCtl::Opensql, 1,
              ReportingFailures(TarnCore::DataCtl::Opensql, [&db](std::span<rtl::Variant> args) {
                TextArg(args, 0);  // a type check: the statement must be text
                const Table table = QueryWide(db, args[0].Target().AsWideString());
                rtl::DataPacket packet;
                for (const std::string& column : table.columns) packet.AddField(rtl::Utf8ToGbk(column), rtl::ftString);
                for (const Row& row : table.rows) {
                  rtl::Row values;
                  for (const Cell& cell : row)
                    values.push_back(cell ? rtl::Variant(rtl::Utf8ToGbk(*cell)) : rtl::Variant::Null());
                  packet.AppendRow(values);
                }
                return rtl::Variant(rtl::EncodeDataPacket(packet));
              }));
    AddMember(TarnCore::DataCtl::Execsql, 1,
              ReportingFailures(TarnCore::DataCtl::Execsql, [&db, &log](std::span<rtl::Variant> args) {
                TextArg(args, 0);
                ExecuteWide(db, args[0].Target().AsWideString(), log);
                return rtl::Variant();
              }));
  }
};

// The servers' fixed class ids, under which the platform finds them by ProgID.
constexpr rtl::ClassId kFuncStorageClass{0x1abc668e, 0x86da, 0x406c, {0x8a, 0xd9, 0x9a, 0x3e, 0x5f, 0x9d, 0x2b, 0x6c}};
constexpr rtl::ClassId kDataCtlClass{0x7a8ea668, 0x8768, 0x43d9, {0xa0, 0xf9, 0x31, 0x0f, 0x6f, 0x1f, 0x0a, 0x93}};

}  // namespace

rtl::DispatchPtr NewFuncStorage(const UserRecord& user) { return rtl::TAutoObject::Create<FuncStorage>(user); }

rtl::DispatchPtr NewDataCtl(Database& db, SessionLog& log) { return rtl::TAutoObject::Create<DataCtl>(db, log); }

AutomationServers::AutomationServers(Database& db, const UserRecord& user, SessionLog& log)
    : funcStorage_(
          TarnCore::FuncStorageProgID,
          [user](rtl::DispatchPtr& out) { return rtl::SafeCallBoundary([&] { out = NewFuncStorage(user); }); },
          kFuncStorageClass),
      dataCtl_(
          TarnCore::DataCtlProgID,
          [&db, &log](rtl::DispatchPtr& out) { return rtl::SafeCallBoundary([&] { out = NewDataCtl(db, log); }); },
          kDataCtlClass) {}

}  // namespace host
