#include "tests/odbc/HostRuns.h"

#include <sys/time.h>

#include <fstream>
#include <sstream>

#include "host/db/HostTables.h"
#include "host/db/OdbcConnection.h"
#include "host/loader/LoadedModule.h"
#include "host/services/ModuleSql.h"
#include "host/services/PasswordEncoding.h"
#include "runtime/text/Gbk.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {

const EditionTexts& TextsOf(Edition edition) {
  static const EditionTexts context{"口令修改成功!",
                                    "旧密码错误!请重新输入!",
                                    rtl::TMsgKind::Information,
                                    "新密码与确认密码不一致，请重新输入!",
                                    "口令修改失败!",
                                    rtl::TMsgKind::Information,
                                    "btnCancel"};
  static const EditionTexts automation{"密码修改成功！",     "原密码错误！",       rtl::TMsgKind::Warning,
                                       "两次新密码不相同！", "密码修改出现错误！", rtl::TMsgKind::Warning,
                                       "BtnCancel"};
  return edition == Edition::Context ? context : automation;
}

std::vector<Step> ChangeSteps(Edition edition, const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                              const rtl::AnsiString& confirmPass) {
  const EditionInfo& info = InfoOf(edition);
  return {Click(info.edits[0]), Type(oldPass),     Click(info.edits[1]), Type(newPass),
          Click(info.edits[2]), Type(confirmPass), Click(info.okButton)};
}

std::vector<Step> ChangeSteps(Edition edition, const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass) {
  return ChangeSteps(edition, oldPass, newPass, newPass);
}

std::string StoredFormOf(Edition edition, const rtl::AnsiString& password) {
  return edition == Edition::Context ? host::EncodeHostPassword(password) : host::Md5Hex(password);
}

namespace {

// The ODBC layer with the call count.failAt failing.
class FailingCall final : public host::OdbcCalls {
 public:
  explicit FailingCall(CallCount& count) : count_(count) {}

 protected:
  bool Fails(const char* function) override {
    if (++count_.calls != count_.failAt) return false;
    count_.failed = function;
    return true;
  }

 private:
  CallCount& count_;
};

}  // namespace

std::vector<rtl::AnsiString> InProcessRun::Texts() const {
  std::vector<rtl::AnsiString> texts;
  for (const ShownMessage& m : shown) texts.push_back(m.text);
  return texts;
}

InProcessRun RunInProcess(Edition edition, const std::string& connection, const std::string& user,
                          std::vector<Step> steps, const HostHooks& hooks) {
  const host::LoadedModule module(InfoOf(edition).library);
  const host::Edition hostEdition = edition == Edition::Context ? host::Edition::Context : host::Edition::Automation;
  InProcessRun run;
  DialogDriver driver(std::move(steps));
  ::testing::internal::CaptureStderr();
  try {
    host::OdbcConnection db(connection, host::OdbcConnection::kDefaultLockTimeout,
                            hooks.count != nullptr ? std::make_unique<FailingCall>(*hooks.count) : nullptr);
    host::CheckHostTables(db, edition == Edition::Context);
    const std::optional<host::UserRecord> record = host::FindUser(db, user);
    if (!record) throw host::HostError("no user '" + user + "' in " + db.Describe());
    host::ModuleSql sql(db, hooks.observer);
    run.outcome = host::RunDialog(module, hostEdition, sql, *record, driver);
  } catch (const std::exception& e) {
    run.hostError = rtl::GbkToUtf8Display(e.what());
  }
  run.err = ::testing::internal::GetCapturedStderr();
  run.shown = driver.Messages();
  run.stillOpen = driver.StillOpen();
  return run;
}

std::string Describe(const ProgramRun& run) {
  return "status " + std::to_string(run.status) + ", stdout:\n" + run.out + "stderr:\n" + run.err;
}

ProgramRun RunProgramOver(Edition edition, const std::string& connection, const std::string& user,
                          const std::vector<std::string>& commands) {
  std::vector<std::string> argv{VELMORA_HOST_PROGRAM, InfoOf(edition).library, "--odbc", connection, "--user", user};
  for (const std::string& c : commands) argv.insert(argv.end(), {"--do", c});
  const TempFolder capture;
  ProgramRun run;
  run.status = RunProgram(argv, capture.Path(), capture.Path() + "/out", capture.Path() + "/err");
  run.out = ReadOutput(capture.Path() + "/out");
  run.err = ReadOutput(capture.Path() + "/err");
  return run;
}

std::vector<std::string> ChangeCommands(Edition edition, const std::string& oldPass, const std::string& newPass) {
  const EditionInfo& info = InfoOf(edition);
  return {"click " + std::string(info.edits[0]), "type " + oldPass,
          "click " + std::string(info.edits[1]), "type " + newPass,
          "click " + std::string(info.edits[2]), "type " + newPass,
          "click " + std::string(info.okButton)};
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

double Seconds() {
  timeval t{};
  gettimeofday(&t, nullptr);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

int HostLockTimeout() { return host::OdbcConnection::kDefaultLockTimeout; }

}  // namespace velmora::test
