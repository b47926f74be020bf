#include "host/services/ContextHost.h"

#include "host/services/HostMessages.h"
#include "host/services/PasswordEncoding.h"
#include "host/services/ServiceFailures.h"
#include "runtime/dispatch/AutoObject.h"
#include "runtime/dispatch/ComServers.h"
#include "runtime/text/Gbk.h"

namespace host {
namespace {

// The context's prompt object: its member Prompt shows one message.
class PromptServer final : public rtl::TAutoObject {
 public:
  explicit PromptServer(rtl::TFrontEnd& screen) {
    AddMember(TarnCore::PromptMember, 1,
              ReportingFailures(TarnCore::PromptMember, [&screen](std::span<rtl::Variant> args) {
                ShowHostMessage(screen, TextArg(args, 0), rtl::TMsgKind::Information);
                return rtl::Variant();
              }));
  }
};

}  // namespace

ContextHost::ContextHost(ModuleSql& sql, const UserRecord& user, rtl::TFrontEnd& screen) : sql_(sql) {
  CurUserCode = rtl::Utf8ToGbk(user.code);
  // Handed over as the platform hands automation objects to a module.
  PromptObj = rtl::Variant(rtl::PlatformDispatch(rtl::TAutoObject::Create<PromptServer>(screen)));
  rights_ = rtl::Add<rtl::TClientDataSet>(nullptr);
  rights_->SetPacket(RightsOf(sql.Db(), user.code));
  FunRightData = rights_.get();
}

ContextHost::~ContextHost() = default;

rtl::HResult ContextHost::OpenSQL(const rtl::WideString& sql, rtl::Variant& result, rtl::ErrorInfo& error) noexcept {
  return ServeModule(
      "OpenSQL",
      [&] {
        const std::vector<Row> rows = sql_.Query("OpenSQL", sql).rows;
        if (rows.empty() || rows[0].empty()) throw rtl::Exception("the query found no row", "查询没有找到记录");
        const Cell& cell = rows[0][0];
        result = rtl::Variant(cell ? rtl::Utf8ToGbk(*cell) : rtl::AnsiString());
      },
      error);
}

rtl::HResult ContextHost::ExecSQL(const rtl::WideString& sql, rtl::ErrorInfo& error) noexcept {
  return ServeModule(
      "ExecSQL", [&] { sql_.Execute("ExecSQL", sql); }, error);
}

rtl::HResult ContextHost::EncodePassword(const rtl::AnsiString& password, rtl::AnsiString& result,
                                         rtl::ErrorInfo& error) noexcept {
  return ServeModule(
      "EncodePassword", [&] { result = EncodeHostPassword(password); }, error);
}

}  // namespace host
