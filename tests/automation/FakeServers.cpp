#include "tests/automation/FakeServers.h"

#include <algorithm>

#include "runtime/dispatch/AutoObject.h"
#include "runtime/except/Exceptions.h"
#include "runtime/forms/Application.h"

namespace velmora::test {
namespace {

// Shows a message on the application's front end, when there is one, as the
// host's own servers do.
void ShowOnFrontEnd(const rtl::AnsiString& text, rtl::TMsgKind kind) {
  if (rtl::TFrontEnd* frontEnd = rtl::Application->FrontEnd()) {
    frontEnd->ShowMessage(rtl::Application->Title, text, kind);
  }
}

// Logs its creation and its final release under "<name>#<serial>".
class LoggedServer : public rtl::TAutoObject {
 protected:
  LoggedServer(FakeServers& fake, std::string name) : fake_(fake), name_(std::move(name)) {
    fake_.Lifecycle("create " + name_);
  }
  ~LoggedServer() override { fake_.Lifecycle("release " + name_); }

  FakeServers& fake_;

 private:
  std::string name_;
};

class FakeFuncStorage final : public LoggedServer {
 public:
  FakeFuncStorage(FakeServers& fake, int serial) : LoggedServer(fake, "FuncStorage#" + std::to_string(serial)) {
    AddMember("UserName", 0, [this](std::span<rtl::Variant>) {
      if (fake_.failUserName) throw rtl::Exception(FakeServers::kUserNameFailure);
      return fake_.userName;
    });
    AddMember("UserID", 0, [this](std::span<rtl::Variant>) {
      if (++fake_.userIdCalls == fake_.failUserIdCall) throw rtl::Exception(FakeServers::kUserIdFailure);
      return fake_.userId;
    });
    AddMember("alert", 1, [this](std::span<rtl::Variant> args) {
      fake_.Record("alert", args[0]);
      ShowOnFrontEnd(TextArg(args, 0), rtl::TMsgKind::Warning);
      return rtl::Variant();
    });
    AddMember("prompt", 1, [this](std::span<rtl::Variant> args) {
      fake_.Record("prompt", args[0]);
      if (fake_.failPrompt) throw rtl::Exception(FakeServers::kPromptFailure);
      ShowOnFrontEnd(TextArg(args, 0), rtl::TMsgKind::Information);
      return rtl::Variant();
    });
  }
};

class FakeDataCtl final : public LoggedServer {
 public:
  FakeDataCtl(FakeServers& fake, int serial) : LoggedServer(fake, "DataCtl#" + std::to_string(serial)) {
    AddMember("Opensql", 1, [this](std::span<rtl::Variant> args) {
      fake_.Record("Opensql", args[0]);
      const rtl::WideString sql = args[0].Target().AsWideString();
      fake_.queries.push_back(sql);
      if (!fake_.answer) throw rtl::Exception(FakeServers::kOpenFailure);
      return fake_.answer(sql);
    });
    AddMember("Execsql", 1, [this](std::span<rtl::Variant> args) {
      fake_.Record("Execsql", args[0]);
      fake_.statements.push_back(args[0].Target().AsWideString());
      if (fake_.failExec) throw rtl::Exception(FakeServers::kExecFailure);
      return rtl::Variant();
    });
  }
};

}  // namespace

rtl::Variant PacketOf(const rtl::DataPacket& packet) { return rtl::Variant(rtl::EncodeDataPacket(packet)); }

rtl::Variant PasswordRow(const std::optional<rtl::AnsiString>& stored) {
  rtl::DataPacket packet;
  packet.AddField("password", rtl::ftString);
  packet.AppendRow({stored ? rtl::Variant(*stored) : rtl::Variant::Null()});
  return PacketOf(packet);
}

rtl::Variant NoPasswordRows() {
  rtl::DataPacket packet;
  packet.AddField("password", rtl::ftString);
  return PacketOf(packet);
}

FakeServers::FakeServers() {
  funcStorage_.emplace(kFuncStorageProgId, [this](rtl::DispatchPtr& out) {
    if (rtl::Failed(funcStorageFactoryResult)) return funcStorageFactoryResult;
    out = rtl::TAutoObject::Create<FakeFuncStorage>(*this, ++funcStorageSerial_);
    return rtl::S_OK;
  });
  dataCtl_.emplace(kDataCtlProgId, [this](rtl::DispatchPtr& out) {
    if (rtl::Failed(dataCtlFactoryResult)) return dataCtlFactoryResult;
    out = rtl::TAutoObject::Create<FakeDataCtl>(*this, ++dataCtlSerial_);
    return rtl::S_OK;
  });
}

FakeServers::~FakeServers() = default;

void FakeServers::Unregister(const std::string& progId) {
  if (progId == kFuncStorageProgId) funcStorage_.reset();
  if (progId == kDataCtlProgId) dataCtl_.reset();
}

void FakeServers::StorePassword(const std::optional<rtl::AnsiString>& stored) {
  answer = [stored](const rtl::WideString&) { return PasswordRow(stored); };
}

int FakeServers::Released(const std::string& server) const {
  return static_cast<int>(std::count_if(lifecycle.begin(), lifecycle.end(), [&](const std::string& event) {
    return event.starts_with("release " + server + "#");
  }));
}

std::vector<ServerCall> FakeServers::CallsOf(const std::string& member) const {
  std::vector<ServerCall> found;
  std::copy_if(calls.begin(), calls.end(), std::back_inserter(found),
               [&](const ServerCall& call) { return call.member == member; });
  return found;
}

void FakeServers::Record(const std::string& member, const rtl::Variant& argument) {
  const rtl::Variant& target = argument.Target();
  calls.push_back(
      ServerCall{member, argument.Type(), target.Type(), target.IsText() ? target.AsWideString() : rtl::WideString()});
}

}  // namespace velmora::test
