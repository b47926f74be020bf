// Fake host automation servers for the automation edition, registered under
// the host's ProgIDs for as long as a FakeServers object lives. Each
// CreateOleObject makes a new server object; the objects record what they
// receive, answer as programmed, show messages on the application's front
// end as the host's own servers do, and log their creation and final release.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "contract/VelmoraContract.h"
#include "runtime/db/DataPacket.h"
#include "runtime/dispatch/AutoObject.h"
#include "runtime/dispatch/ComServers.h"
#include "runtime/except/Exceptions.h"
#include "runtime/forms/Application.h"

namespace velmora::test {

inline constexpr const char* kFuncStorageProgId = TarnCore::FuncStorageProgID;
inline constexpr const char* kDataCtlProgId = TarnCore::DataCtlProgID;

class FakeServers {
 public:
  FakeServers();
  FakeServers(const FakeServers&) = delete;
  FakeServers& operator=(const FakeServers&) = delete;

  // Programmable behaviour.
  rtl::Variant userName = rtl::Variant(u"测试用户");
  rtl::Variant userId = rtl::Variant(u"demo");
  // What Opensql answers for a query; raising (or being empty) makes the call fail.
  std::function<rtl::Variant(const rtl::WideString& sql)> answer;
  // What Execsql, once it has done its work, leaves in its by-reference argument.
  std::optional<rtl::Variant> execsqlLeaves;

  // Opensql answers one row whose string field "password" holds stored (GBK).
  void StorePassword(const rtl::AnsiString& stored) {
    answer = [stored](const rtl::WideString&) {
      rtl::DataPacket packet;
      packet.AddField("password", rtl::ftString);
      packet.AppendRow({rtl::Variant(stored)});
      return rtl::Variant(rtl::EncodeDataPacket(packet));
    };
  }

  // What the module did with the servers.
  std::vector<rtl::WideString> queries;     // Opensql texts
  std::vector<rtl::WideString> statements;  // Execsql texts
  std::vector<std::string> lifecycle;       // "create FuncStorage#1", "release DataCtl#1", ...
  // For alert, prompt, Opensql and Execsql: how each argument arrived, as
  // "<variant type>" or "ByRef <type referred to>".
  std::map<std::string, std::set<std::string>> passing;

 private:
  std::optional<rtl::ComServerRegistration> funcStorage_;
  std::optional<rtl::ComServerRegistration> dataCtl_;
};

// One server object: "<name>#<serial>" with members of one text argument.
class FakeServer final : public rtl::TAutoObject {
 public:
  FakeServer(FakeServers& fake, std::string name) : fake_(fake), name_(std::move(name)) {
    fake_.lifecycle.push_back("create " + name_);
  }
  ~FakeServer() override { fake_.lifecycle.push_back("release " + name_); }
  using rtl::TAutoObject::AddMember;

  // Records the argument (and its text into texts), raises when answer is
  // given but empty, else shows the text as a message of kind (if any),
  // writes what leaves holds (if anything) into the argument and returns what
  // answer gives.
  void AddTextMember(const std::string& member, std::optional<rtl::TMsgKind> kind,
                     std::vector<rtl::WideString>* texts = nullptr,
                     std::function<rtl::Variant(const rtl::WideString&)>* answer = nullptr,
                     const std::optional<rtl::Variant>* leaves = nullptr) {
    AddMember(member, 1, [=, this](std::span<rtl::Variant> args) {
      std::string how = rtl::Variant::TypeName(args[0].Type());
      if (args[0].Type() == rtl::VarType::ByRef)
        how += std::string(" ") + rtl::Variant::TypeName(args[0].Target().Type());
      fake_.passing[member].insert(how);
      if (texts != nullptr) texts->push_back(args[0].Target().AsWideString());
      if (answer != nullptr && !*answer) throw rtl::Exception(member + " refused");
      rtl::TFrontEnd* frontEnd = rtl::Application->FrontEnd();
      if (kind && frontEnd != nullptr) frontEnd->ShowMessage(rtl::Application->Title, TextArg(args, 0), *kind);
      if (leaves != nullptr && leaves->has_value()) args[0].Target() = **leaves;
      return answer != nullptr ? (*answer)(texts->back()) : rtl::Variant();
    });
  }

 private:
  FakeServers& fake_;
  std::string name_;
};

inline FakeServers::FakeServers() {
  funcStorage_.emplace(kFuncStorageProgId, [this, serial = 0](rtl::DispatchPtr& out) mutable {
    auto server = rtl::TAutoObject::Create<FakeServer>(*this, "FuncStorage#" + std::to_string(++serial));
    server->AddMember(TarnCore::FuncStorage::UserName, 0, [this](std::span<rtl::Variant>) { return userName; });
    server->AddMember(TarnCore::FuncStorage::UserID, 0, [this](std::span<rtl::Variant>) { return userId; });
    server->AddTextMember(TarnCore::FuncStorage::alert, rtl::TMsgKind::Warning);
    server->AddTextMember(TarnCore::FuncStorage::prompt, rtl::TMsgKind::Information);
    out = server;
    return rtl::S_OK;
  });
  dataCtl_.emplace(kDataCtlProgId, [this, serial = 0](rtl::DispatchPtr& out) mutable {
    auto server = rtl::TAutoObject::Create<FakeServer>(*this, "DataCtl#" + std::to_string(++serial));
    server->AddTextMember(TarnCore::DataCtl::Opensql, std::nullopt, &queries, &answer);
    server->AddTextMember(TarnCore::DataCtl::Execsql, std::nullopt, &statements, nullptr, &execsqlLeaves);
    out = server;
    return rtl::S_OK;
  });
}

}  // namespace velmora::test
