#include "tests/inject/FaultFixture.h"

#include <algorithm>

#include "host/services/PasswordEncoding.h"
#include "runtime/controls/StdCtrls.h"

namespace velmora::test {

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

bool Showed(const FaultCase& c, const rtl::AnsiString& text) {
  return std::any_of(c.shown.begin(), c.shown.end(), [&](const Shown& s) { return s.text == text; });
}

Fault Before(std::string operation) { return {std::move(operation), FaultKind::Before, 0, {}, {}}; }

FaultInjection::FaultInjection(Edition edition, EditionUser user)
    : ModuleTest(edition), user_(std::move(user)), conditions_(db_, user_.code) {}

void FaultInjection::SetUp() {
  ModuleTest::SetUp();
  // Both editions' users, a user whose code an unquoted condition would
  // also match, and rights: everything that must stay as it is.
  const std::string oldHost = host::EncodeHostPassword("old");
  const std::string oldMd5 = host::Md5Hex("old");
  db_.Db().ExecuteScript(
      "PRAGMA journal_mode = MEMORY; BEGIN;"
      "INSERT INTO P_User VALUES ('demo', 'demo', '" +
      oldHost + "'), ('md5demo', 'md5demo', '" + oldMd5 +
      "'),"
      " ('x', 'x', '" +
      oldHost + "'), ('other', 'other', '" + oldMd5 +
      "');"
      "INSERT INTO P_FunRight VALUES ('demo', 3, 101), ('demo', 1, 102); COMMIT;");
}

void FaultInjection::Recover() {
  plan_.Disarm();
  conditions_.Lift();
}

void FaultInjection::RunCase() {
  const FaultCase& c = GetParam();
  const DatabaseState before = ReadState(db_.Path());
  Fault fault = c.fault;
  if (fault.kind == FaultKind::Before) fault.action = [this, &c] { conditions_.Impose(c.condition); };
  if (!fault.operation.empty()) plan_.Arm(fault);
  MakeHost();
  auto* const sentinel = reinterpret_cast<rtl::TCustomForm*>(std::uintptr_t{0x5A5A5A50});
  rtl::TCustomForm* form = sentinel;
  std::int32_t kind = -77;
  const std::int32_t status = CreateModule(&form, &kind);
  if (c.ends == Ends::NotCreated) {
    EXPECT_NE(status, 0) << "expected CreateModule to fail";
    EXPECT_TRUE(form == sentinel && kind == -77) << "expected nothing written";
    EXPECT_EQ(FreeModule(&form), 0) << "expected FreeModule not to look at a reference to no dialog";
    Recover();
    EXPECT_TRUE(SameState(before, ReadState(db_.Path())));
    return;
  }
  ASSERT_EQ(status, 0);
  ASSERT_TRUE(form != nullptr && form != sentinel);

  const std::vector<Step> steps = Steps(c, c.condition != DbCondition::None && fault.kind != FaultKind::Before, before);
  ::testing::internal::CaptureStderr();
  const DialogRun run = Show(*form, steps);
  const std::string err = ::testing::internal::GetCapturedStderr();
  Recover();
  FreeDialog(form);

  std::vector<Shown> shown = c.shown;
  if (c.ends == Ends::Open) shown.push_back(Information(user_.changed));
  ExpectShown(shown, run, err);
  EXPECT_FALSE(run.stillOpen.has_value()) << "expected the dialog ended by a change";
  EXPECT_EQ(run.result, user_.changedResult);
  const std::string stored = c.ends == Ends::Changed && c.stored ? *c.stored : user_.storedNew;
  EXPECT_TRUE(SameState(WithPassword(before, user_.code, stored), ReadState(db_.Path())))
      << "expected only the user's password rewritten";
}

std::vector<Step> FaultInjection::Steps(const FaultCase& c, bool imposeAtShow, const DatabaseState& before) {
  const EditionInfo& info = InfoOf(edition_);
  std::vector<Step> steps;
  if (imposeAtShow) steps.push_back(Inspect([this, &c](rtl::TCustomForm&) { conditions_.Impose(c.condition); }));
  for (Step& step : Fill(c.oldPass, "new", "new", {Click(info.okButton)})) steps.push_back(std::move(step));
  if (c.ends != Ends::Open) return steps;
  steps.push_back(Inspect([this, &c, &before, &info](rtl::TCustomForm& dialog) {
    EXPECT_EQ(dialog.ModalResult(), 0) << "expected the dialog open after the fault";
    ExpectOpenAfterFault(c, dialog);
    Recover();
    EXPECT_TRUE(SameState(before, ReadState(db_.Path()))) << "after the faulted attempt";
    const char* const texts[] = {"old", "new", "new"};
    for (std::size_t i = 0; i < 3; ++i) {
      dynamic_cast<rtl::TEdit&>(*dialog.FindComponent(info.edits[i])).SetText(texts[i]);
    }
  }));
  steps.push_back(Click(info.okButton));
  return steps;
}

void FaultInjection::ExpectShown(const std::vector<Shown>& expected, const DialogRun& run, const std::string& err) {
  std::vector<rtl::AnsiString> texts;
  std::vector<rtl::TMsgKind> kinds;
  bool errorShown = false;
  for (const Shown& s : expected) {
    texts.push_back(s.text);
    kinds.push_back(s.kind);
    errorShown = errorShown || s.kind == rtl::TMsgKind::Error;
  }
  EXPECT_TRUE(Shows(run, texts));
  EXPECT_TRUE(ShowsKinds(run, kinds));
  if (errorShown) {
    EXPECT_NE(err.find("Velmora: "), std::string::npos) << "expected the detail on standard error, got " << err;
  }
}

}  // namespace velmora::test
