// Fake host automation servers for the automation edition, registered under
// the host's ProgIDs for as long as a FakeServers object lives. Each
// CreateOleObject makes a new server object; the objects record every call
// they receive (member, text, the argument's variant type as it arrived),
// answer as programmed, and log their creation and final release.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runtime/db/DataPacket.h"
#include "runtime/dispatch/ComServers.h"
#include "runtime/variant/Variant.h"

namespace velmora::test {

inline constexpr const char* kFuncStorageProgId = "TarnCore.FuncStorage";
inline constexpr const char* kDataCtlProgId = "TarnCore.DataCtl";

// One call of alert, prompt, Opensql or Execsql as the server received it.
struct ServerCall {
  std::string member;
  rtl::VarType argumentType;  // ByRef for an argument passed by reference
  rtl::VarType targetType;    // the type of the value a by-reference argument refers to
  rtl::WideString text;
};

// Data packets for Opensql answers.
rtl::Variant PacketOf(const rtl::DataPacket& packet);
// A packet with the single string field "password" and one row holding stored
// (a GBK text, or Null when absent).
rtl::Variant PasswordRow(const std::optional<rtl::AnsiString>& stored);
// The same field without any row.
rtl::Variant NoPasswordRows();

class FakeServers {
 public:
  static constexpr const char* kUserIdFailure = "UserID refused";
  static constexpr const char* kUserNameFailure = "UserName refused";
  static constexpr const char* kOpenFailure = "Opensql refused";
  static constexpr const char* kExecFailure = "Execsql refused";
  static constexpr const char* kPromptFailure = "prompt refused";

  FakeServers();
  ~FakeServers();
  FakeServers(const FakeServers&) = delete;
  FakeServers& operator=(const FakeServers&) = delete;

  // Withdraws a ProgID, so that creating it fails as for an unknown class.
  void Unregister(const std::string& progId);

  // Programmable behaviour.
  rtl::Variant userName = rtl::Variant(u"测试用户");
  rtl::Variant userId = rtl::Variant(u"demo");
  int failUserIdCall = 0;  // the 1-based UserID call that raises; 0 for none
  bool failUserName = false;
  // What Opensql answers for a query; raising (or being empty) makes the call fail.
  std::function<rtl::Variant(const rtl::WideString& sql)> answer;
  bool failExec = false;
  bool failPrompt = false;
  rtl::HResult funcStorageFactoryResult = rtl::S_OK;
  rtl::HResult dataCtlFactoryResult = rtl::S_OK;

  // Opensql answers the password row of this text (GBK; Null when absent).
  void StorePassword(const std::optional<rtl::AnsiString>& stored);

  // What the module did with the servers.
  std::vector<ServerCall> calls;            // alert, prompt, Opensql, Execsql in order
  std::vector<rtl::WideString> queries;     // Opensql texts
  std::vector<rtl::WideString> statements;  // Execsql texts
  std::vector<std::string> lifecycle;       // "create FuncStorage#1", "release DataCtl#1", ...
  int userIdCalls = 0;

  int Released(const std::string& server) const;
  std::vector<ServerCall> CallsOf(const std::string& member) const;

  // Used by the server objects.
  void Record(const std::string& member, const rtl::Variant& argument);
  void Lifecycle(std::string event) { lifecycle.push_back(std::move(event)); }

 private:
  int funcStorageSerial_ = 0;
  int dataCtlSerial_ = 0;
  std::optional<rtl::ComServerRegistration> funcStorage_;
  std::optional<rtl::ComServerRegistration> dataCtl_;
};

}  // namespace velmora::test
