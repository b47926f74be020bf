#include "host/services/AutomationServers.h"

#include "contract/VelmoraContract.h"
#include "host/services/HostMessages.h"
#include "host/services/ServiceFailures.h"
#include "runtime/db/DataPacket.h"
#include "runtime/dispatch/AutoObject.h"
#include "runtime/text/Gbk.h"
#include "runtime/text/Unicode.h"

namespace host {
namespace {

class FuncStorage final : public rtl::TAutoObject {
 public:
  FuncStorage(const UserRecord& user, rtl::TFrontEnd& screen) {
    const rtl::WideString name = rtl::Utf8ToWide(user.name);
    const rtl::WideString code = rtl::Utf8ToWide(user.code);
    AddMember(TarnCore::FuncStorage::UserName, 0, [name](std::span<rtl::Variant>) { return rtl::Variant(name); });
    AddMember(TarnCore::FuncStorage::UserID, 0, [code](std::span<rtl::Variant>) { return rtl::Variant(code); });
    AddMember(TarnCore::FuncStorage::alert, 1,
              ReportingFailures(TarnCore::FuncStorage::alert, [&screen](std::span<rtl::Variant> args) {
                ShowHostMessage(screen, TextArg(args, 0), rtl::TMsgKind::Warning);
                return rtl::Variant();
              }));
    AddMember(TarnCore::FuncStorage::prompt, 1,
              ReportingFailures(TarnCore::FuncStorage::prompt, [&screen](std::span<rtl::Variant> args) {
                ShowHostMessage(screen, TextArg(args, 0), rtl::TMsgKind::Information);
                return rtl::Variant();
              }));
  }
};

class DataCtl final : public rtl::TAutoObject {
 public:
  explicit DataCtl(ModuleSql& sql) {
    AddMember(TarnCore::DataCtl::Opensql, 1,
              ReportingFailures(TarnCore::DataCtl::Opensql, [&sql](std::span<rtl::Variant> args) {
                TextArg(args, 0);  // a type check: the statement must be text
                const Table table = sql.Query(TarnCore::DataCtl::Opensql, args[0].Target().AsWideString());
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
              ReportingFailures(TarnCore::DataCtl::Execsql, [&sql](std::span<rtl::Variant> args) {
                TextArg(args, 0);
                sql.Execute(TarnCore::DataCtl::Execsql, args[0].Target().AsWideString());
                return rtl::Variant();
              }));
  }
};

// The servers' fixed class ids, under which the platform finds them by ProgID.
constexpr rtl::ClassId kFuncStorageClass{0x1abc668e, 0x86da, 0x406c, {0x8a, 0xd9, 0x9a, 0x3e, 0x5f, 0x9d, 0x2b, 0x6c}};
constexpr rtl::ClassId kDataCtlClass{0x7a8ea668, 0x8768, 0x43d9, {0xa0, 0xf9, 0x31, 0x0f, 0x6f, 0x1f, 0x0a, 0x93}};

}  // namespace

rtl::DispatchPtr NewFuncStorage(const UserRecord& user, rtl::TFrontEnd& screen) {
  return rtl::TAutoObject::Create<FuncStorage>(user, screen);
}

rtl::DispatchPtr NewDataCtl(ModuleSql& sql) { return rtl::TAutoObject::Create<DataCtl>(sql); }

AutomationServers::AutomationServers(ModuleSql& sql, const UserRecord& user, rtl::TFrontEnd& screen)
    : funcStorage_(
          TarnCore::FuncStorageProgID,
          [user, &screen](rtl::DispatchPtr& out) {
            return rtl::SafeCallBoundary([&] { out = NewFuncStorage(user, screen); });
          },
          kFuncStorageClass),
      dataCtl_(
          TarnCore::DataCtlProgID,
          [&sql](rtl::DispatchPtr& out) { return rtl::SafeCallBoundary([&] { out = NewDataCtl(sql); }); },
          kDataCtlClass) {}

}  // namespace host
