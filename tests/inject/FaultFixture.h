// One table-driven fault per test: the built edition loaded through the
// host's loader, the reference host's services over a temporary SQLite file
// behind the doubles of a fault plan, and a dialog driven through one
// faulted attempt to change the password from "old" to "new".
//
// Each case states what the person is shown, and how the dialog comes out:
// open and usable with nothing written (a correct attempt then changes the
// password), ended as after a change with exactly the user's row rewritten,
// or never created. The whole database is compared before and after.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/inject/DatabaseConditions.h"
#include "tests/inject/FaultPlan.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {

// A message box as the person sees it.
struct Shown {
  rtl::TMsgKind kind;
  rtl::AnsiString text;  // GBK
};
inline Shown Information(rtl::AnsiString text) { return {rtl::TMsgKind::Information, std::move(text)}; }
inline Shown Warning(rtl::AnsiString text) { return {rtl::TMsgKind::Warning, std::move(text)}; }
// The form runtime's default handling: the detail goes to standard error.
inline Shown Error(rtl::AnsiString text) { return {rtl::TMsgKind::Error, std::move(text)}; }

// What the runtime and the reference host tell the person (GBK).
inline constexpr const char* kHostCallFailed = "调用宿主服务失败。";
inline constexpr const char* kWrongType = "数据类型不符，无法处理。";
inline constexpr const char* kUnreadable = "文字中含有无法识别的字符。";
inline constexpr const char* kUnmappable = "文字中含有当前字符集无法表示的字符。";
inline constexpr const char* kDataAccess = "数据访问出错。";
inline constexpr const char* kDatabaseFailed = "数据库访问出错，操作未完成。";
inline constexpr const char* kNoRecord = "查询没有找到记录";

enum class Ends {
  Open,        // open and usable, nothing written
  Changed,     // the user's row rewritten, the dialog ended as after a change
  NotCreated,  // CreateModule failed: no dialog, nothing written
};

struct FaultCase {
  const char* name;
  Fault fault;               // no operation: the reference host as it is
  std::vector<Shown> shown;  // by the faulted attempt
  Ends ends = Ends::Open;
  // Imposed when the dialog is shown, or by a fault of kind Before.
  DbCondition condition = DbCondition::None;
  const char* oldPass = "old";  // typed at the faulted attempt
  // What a change writes, when the fault makes it other than the usual.
  std::optional<std::string> stored = std::nullopt;
};
void PrintTo(const FaultCase& c, std::ostream* os);
// Whether the faulted attempt showed text.
bool Showed(const FaultCase& c, const rtl::AnsiString& text);

// A fault that imposes the case's condition just before the operation.
Fault Before(std::string operation);

// The edition's signed-in user (stored password "old") and its dialog's success.
struct EditionUser {
  std::string code;
  std::string storedNew;    // the stored form of "new"
  rtl::AnsiString changed;  // the dialog's success message
  int changedResult;        // the modal result after a change
};

class FaultInjection : public ModuleTest, public ::testing::WithParamInterface<FaultCase> {
 protected:
  FaultInjection(Edition edition, EditionUser user);
  void SetUp() override;
  // Builds the edition's host objects over db_ for the user, with plan_.
  virtual void MakeHost() = 0;
  // Checks the dialog left open by the faulted attempt: its edits, its count.
  virtual void ExpectOpenAfterFault(const FaultCase& c, const rtl::TCustomForm& form) = 0;
  void RunCase();

  EditionUser user_;
  TempDatabase db_;
  FaultPlan plan_;

 private:
  void Recover();
  // The faulted attempt, and for a dialog left open the check of what it
  // left and a correct attempt on the sound host.
  std::vector<Step> Steps(const FaultCase& c, bool imposeAtShow, const DatabaseState& before);
  void ExpectShown(const std::vector<Shown>& expected, const DialogRun& run, const std::string& err);

  DatabaseConditions conditions_;
};

}  // namespace velmora::test
