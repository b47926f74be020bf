// The change-password dialog end to end: the built library, the reference
// host's context and a temporary SQLite database.
#include "host/ContextHost.h"
#include "host/Encoding.h"
#include "tests/context/ContextFixture.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

class PasswordDialogOnDatabase : public ContextModuleTest {
 protected:
  void SetUp() override {
    ContextModuleTest::SetUp();
    db_.AddUserWithPassword("demo", "old");
    db_.AddUserWithPassword("other", "old");
  }

  DialogRun RunAs(const std::string& code, std::vector<Step> steps) {
    host::ContextHost context(db_.Db(), db_.User(code), log_);
    return RunWith(context, std::move(steps));
  }

  void ExpectStored(const std::string& code, const rtl::AnsiString& plain) {
    EXPECT_EQ(db_.StoredPassword(code), host::EncodeHostPassword(plain))
        << "expected " << code << "'s password to be " << Readable(plain);
  }

  TempDatabase db_;
};

struct ChangeCase {
  const char* name;
  rtl::AnsiString newPass;
};
void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class SuccessfulChange : public PasswordDialogOnDatabase, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(SuccessfulChange, WritesEncodedNewPasswordReportsSuccessAndEndsWithOk) {
  const rtl::AnsiString& newPass = GetParam().newPass;
  const DialogRun run = RunAs("demo", Fill("old", newPass, newPass, {Click("btnOK")}));
  EXPECT_EQ(run.result, kModalOk);
  EXPECT_TRUE(Shows(run, {kPasswordChanged}));
  ExpectStored("demo", newPass);
  ExpectStored("other", "old");
}

INSTANTIATE_TEST_SUITE_P(Entries, SuccessfulChange,
                         ::testing::Values(ChangeCase{"EmptyNewAndConfirmation", ""},
                                           ChangeCase{"ChineseCharacters", "新密码"},
                                           ChangeCase{"BlanksAroundKeptAsTyped", " n "}),
                         CaseName());

struct RejectCase {
  const char* name;
  rtl::AnsiString oldPass, newPass, confirmPass;
  const char* message;
  std::array<rtl::AnsiString, 3> editsAfter;
  const char* focusAfter;
};
void PrintTo(const RejectCase& c, std::ostream* os) { *os << c.name; }

class RejectedEntries : public PasswordDialogOnDatabase, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(RejectedEntries, ShowMessageResetEditsAndStayOpen) {
  const RejectCase& c = GetParam();
  const DialogRun run = RunAs("demo", Fill(c.oldPass, c.newPass, c.confirmPass, {Click("btnOK")}));
  EXPECT_TRUE(Shows(run, {c.message}));
  ASSERT_TRUE(OpenWith(run, Edits(c.editsAfter[0], c.editsAfter[1], c.editsAfter[2])));
  EXPECT_EQ(run.stillOpen->focused, c.focusAfter);
  ExpectStored("demo", "old");
  EXPECT_EQ(log_.passwordWrites, 0);
}

// The edits after the message: old, new and confirmation.
INSTANTIATE_TEST_SUITE_P(
    Entries, RejectedEntries,
    ::testing::Values(
        RejectCase{"WrongOldClearsOld", "wrong", "n1", "n1", kOldPasswordWrong, {"", "n1", "n1"}, "edtOldPass"},
        RejectCase{"OldIsNotTrimmed", "old ", "n1", "n1", kOldPasswordWrong, {"", "n1", "n1"}, "edtOldPass"},
        RejectCase{"DifferentNewClearBoth", "old", "n1", "n2", kNewPasswordsDiffer, {"old", "", ""}, "edtNewPass"},
        RejectCase{"BlankAfterConfirmation", "old", "n1", "n1 ", kNewPasswordsDiffer, {"old", "", ""}, "edtNewPass"}),
    CaseName());

// Enter walks old, new and confirmation, and in the confirmation acts as OK.
TEST_F(PasswordDialogOnDatabase, EnterMovesFocusThenActsAsOk) {
  for (const char* oldPass : {"wrong", "old"}) {
    SCOPED_TRACE(oldPass);
    const DialogRun run = RunAs("demo", {ExpectFocus("edtOldPass"), Type(oldPass), Enter(), ExpectFocus("edtNewPass"),
                                         Type("n1"), Enter(), ExpectFocus("edtConfirmPass"), Type("n1"), Enter()});
    const bool right = std::string(oldPass) == "old";
    EXPECT_TRUE(Shows(run, {right ? kPasswordChanged : kOldPasswordWrong}));
    EXPECT_EQ(run.stillOpen ? run.stillOpen->modalResult : run.result, right ? kModalOk : 0);
  }
  ExpectStored("demo", "n1");
}

TEST_F(PasswordDialogOnDatabase, EscCancelAndTheCloseBoxEndWithCancelAndWriteNothing) {
  for (const Step& cancel : {Esc(), Click("btnCancel"), CloseBox()}) {
    const DialogRun run = RunAs("demo", Fill("old", "n1", "n1", {cancel}));
    EXPECT_EQ(run.result, kModalCancel);
    EXPECT_TRUE(Shows(run, {}));
  }
  ExpectStored("demo", "old");
}

TEST_F(PasswordDialogOnDatabase, QuoteInUserCodeChangesOnlyThatUsersRow) {
  for (const char* code : {"o'neil", "o''neil", "o", "neil"}) db_.AddUserWithPassword(code, "old");
  const DialogRun run = RunAs("o'neil", Fill("old", "new", "new", {Click("btnOK")}));
  EXPECT_EQ(run.result, kModalOk);
  ExpectStored("o'neil", "new");
  for (const char* code : {"o''neil", "o", "neil", "demo", "other"}) ExpectStored(code, "old");
}

}  // namespace
}  // namespace velmora::test
