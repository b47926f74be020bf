// The change-password dialog end to end: the built library, the reference
// host's context and a temporary SQLite database.
#include "host/ContextHost.h"
#include "host/Encoding.h"
#include "tests/context/ModuleFixture.h"
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
    return RunDialog(context, std::move(steps));
  }

  void ExpectStored(const std::string& code, const rtl::AnsiString& plain) {
    const std::optional<std::string> stored = db_.StoredPassword(code);
    const std::string expected = host::EncodeHostPassword(plain);
    EXPECT_EQ(stored, expected) << "expected " << code << "'s PassWord " << expected << " (encoded "
                                << Readable(plain) << "), got " << stored.value_or("NULL");
  }

  TempDatabase db_;
};

struct ChangeCase {
  const char* name;
  rtl::AnsiString newPass;
  rtl::AnsiString confirmPass;
};

class SuccessfulChange : public PasswordDialogOnDatabase, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(SuccessfulChange, WritesEncodedNewPasswordReportsSuccessAndEndsWithOk) {
  const ChangeCase& c = GetParam();
  const DialogRun run = RunAs("demo", Fill("old", c.newPass, c.confirmPass, {Click("btnOK")}));
  EXPECT_EQ(run.result, kModalOk) << "expected modal result 1, got " << run.result;
  const std::vector<rtl::AnsiString> expected{kPasswordChanged};
  EXPECT_EQ(run.messages, expected) << ExpectedGot(expected, run.messages);
  ExpectStored("demo", c.newPass);
  ExpectStored("other", "old");
}

INSTANTIATE_TEST_SUITE_P(Entries, SuccessfulChange,
                         ::testing::Values(ChangeCase{"NewPassword", "new", "new"},
                                           ChangeCase{"EmptyNewAndConfirmation", "", ""},
                                           ChangeCase{"SameAsOld", "old", "old"},
                                           ChangeCase{"ChineseCharacters", "新密码", "新密码"},
                                           ChangeCase{"BlanksAroundKeptAsTyped", " n ", " n "}),
                         CaseName());

struct RejectCase {
  const char* name;
  rtl::AnsiString oldPass, newPass, confirmPass;
  const char* message;
  std::map<std::string, rtl::AnsiString> editsAfter;
  const char* focusAfter;
};

class RejectedEntries : public PasswordDialogOnDatabase, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(RejectedEntries, ShowMessageResetEditsAndStayOpen) {
  const RejectCase& c = GetParam();
  const DialogRun run = RunAs("demo", Fill(c.oldPass, c.newPass, c.confirmPass, {Click("btnOK")}));
  const std::vector<rtl::AnsiString> expected{c.message};
  EXPECT_EQ(run.messages, expected) << ExpectedGot(expected, run.messages);
  ASSERT_TRUE(run.stillOpen.has_value()) << "expected the dialog open, got it ended with " << run.result;
  EXPECT_EQ(run.stillOpen->modalResult, 0) << "expected no modal result, got " << run.stillOpen->modalResult;
  EXPECT_EQ(run.stillOpen->edits, c.editsAfter) << ExpectedGot(c.editsAfter, run.stillOpen->edits);
  EXPECT_EQ(run.stillOpen->focused, c.focusAfter)
      << "expected focus in " << c.focusAfter << ", got " << run.stillOpen->focused;
  ExpectStored("demo", "old");
  EXPECT_EQ(log_.passwordWrites, 0) << "expected no write, got " << log_.passwordWrites;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, RejectedEntries,
    ::testing::Values(
        RejectCase{"WrongOldPasswordClearsOnlyOldEdit", "wrong", "n1", "n1", kOldPasswordWrong,
                   Edits("", "n1", "n1"), "edtOldPass"},
        RejectCase{"OldPasswordIsNotTrimmed", "old ", "n1", "n1", kOldPasswordWrong, Edits("", "n1", "n1"),
                   "edtOldPass"},
        RejectCase{"DifferentNewPasswordsClearBothNewEdits", "old", "n1", "n2", kNewPasswordsDiffer,
                   Edits("old", "", ""), "edtNewPass"},
        RejectCase{"TrailingBlankInConfirmationOnlyIsAMismatch", "old", "n1", "n1 ", kNewPasswordsDiffer,
                   Edits("old", "", ""), "edtNewPass"},
        RejectCase{"EmptyConfirmationIsAMismatch", "old", "n1", "", kNewPasswordsDiffer, Edits("old", "", ""),
                   "edtNewPass"}),
    CaseName());

Step ExpectFocus(const char* name) {
  return Inspect([name](rtl::TCustomForm& form) {
    const std::string focused = form.ActiveControl() != nullptr ? form.ActiveControl()->Name() : "";
    EXPECT_EQ(focused, name) << "expected focus in " << name << ", got " << focused;
  });
}

TEST_F(PasswordDialogOnDatabase, EnterMovesFocusOldNewConfirmationWithoutChecking) {
  const DialogRun run = RunAs("demo", {ExpectFocus("edtOldPass"), Type("wrong"), Enter(), ExpectFocus("edtNewPass"),
                                       Type("n1"), Enter(), ExpectFocus("edtConfirmPass")});
  EXPECT_TRUE(run.messages.empty()) << ExpectedGot(kNoMessages, run.messages);
  ASSERT_TRUE(run.stillOpen.has_value()) << "expected the dialog open, got it ended with " << run.result;
  const auto typed = Edits("wrong", "n1", "");
  EXPECT_EQ(run.stillOpen->edits, typed) << ExpectedGot(typed, run.stillOpen->edits);
}

struct EnterCase {
  const char* name;
  rtl::AnsiString oldPass;
  const char* message;
  int modalResult;  // 0 while the dialog stays open
};

class EnterInConfirmation : public PasswordDialogOnDatabase, public ::testing::WithParamInterface<EnterCase> {};

TEST_P(EnterInConfirmation, ActsAsOk) {
  const EnterCase& c = GetParam();
  const DialogRun run = RunAs("demo", {Type(c.oldPass), Enter(), Type("n1"), Enter(), Type("n1"), Enter()});
  const std::vector<rtl::AnsiString> expected{c.message};
  EXPECT_EQ(run.messages, expected) << ExpectedGot(expected, run.messages);
  const int result = run.stillOpen ? run.stillOpen->modalResult : run.result;
  EXPECT_EQ(result, c.modalResult) << "expected modal result " << c.modalResult << ", got " << result;
}

INSTANTIATE_TEST_SUITE_P(Entries, EnterInConfirmation,
                         ::testing::Values(EnterCase{"WrongOldPassword", "wrong", kOldPasswordWrong, 0},
                                           EnterCase{"RightOldPassword", "old", kPasswordChanged, kModalOk}),
                         CaseName());

struct CancelCase {
  const char* name;
  Step step;
};

class Cancelling : public PasswordDialogOnDatabase, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(Cancelling, EndsWithCancelAndWritesNothing) {
  const DialogRun run = RunAs("demo", Fill("old", "n1", "n1", {GetParam().step}));
  EXPECT_EQ(run.result, kModalCancel) << "expected modal result 2, got " << run.result;
  EXPECT_TRUE(run.messages.empty()) << ExpectedGot(kNoMessages, run.messages);
  ExpectStored("demo", "old");
}

INSTANTIATE_TEST_SUITE_P(Ways, Cancelling,
                         ::testing::Values(CancelCase{"EscKey", Esc()}, CancelCase{"CancelButton", Click("btnCancel")},
                                           CancelCase{"CloseBox", CloseBox()}),
                         CaseName());

TEST_F(PasswordDialogOnDatabase, QuoteInUserCodeChangesOnlyThatUsersRow) {
  for (const char* code : {"o'neil", "o''neil", "o", "neil"}) db_.AddUserWithPassword(code, "old");
  const DialogRun run = RunAs("o'neil", Fill("old", "new", "new", {Click("btnOK")}));
  EXPECT_EQ(run.result, kModalOk) << "expected modal result 1, got " << run.result;
  ExpectStored("o'neil", "new");
  for (const char* code : {"o''neil", "o", "neil", "demo", "other"}) ExpectStored(code, "old");
}

TEST_F(PasswordDialogOnDatabase, LockedDatabaseReportsFailureKeepsRowAndAllowsRetry) {
  std::unique_ptr<host::Database> other = db_.OpenConnection();
  other->Begin();  // holds the write lock
  const DialogRun run = RunAs(
      "demo", Fill("old", "new", "new",
                   {Click("btnOK"), Inspect([&](rtl::TCustomForm& form) {
                      const FormState state = CaptureState(form);
                      EXPECT_EQ(state.modalResult, 0) << "expected no modal result, got " << state.modalResult;
                      EXPECT_EQ(state.edits, Edits("old", "new", "new"))
                          << ExpectedGot(Edits("old", "new", "new"), state.edits);
                      ExpectStored("demo", "old");
                      other->Rollback();
                    }),
                    Click("btnOK")}));
  const std::vector<rtl::AnsiString> expected{kPasswordNotChanged, kPasswordChanged};
  EXPECT_EQ(run.messages, expected) << ExpectedGot(expected, run.messages);
  EXPECT_EQ(run.result, kModalOk) << "expected the retry to end the dialog with 1, got " << run.result;
  ExpectStored("demo", "new");
}

TEST_F(PasswordDialogOnDatabase, MissingUserTableShowsErrorAndWritesNothing) {
  db_.Db().Execute("DROP TABLE P_User");
  host::ContextHost context(db_.Db(), host::UserRecord{"demo", "demo"}, log_);
  const DialogRun run = RunDialog(context, Fill("old", "new", "new", {Click("btnOK")}));
  const std::vector<rtl::TMsgKind> error{rtl::TMsgKind::Error};
  EXPECT_EQ(run.kinds, error) << "expected one error box, got " << Readable(run.kinds) << " " << Readable(run.messages);
  ASSERT_TRUE(run.stillOpen.has_value()) << "expected the dialog open, got it ended with " << run.result;
  const auto typed = Edits("old", "new", "new");
  EXPECT_EQ(run.stillOpen->edits, typed) << ExpectedGot(typed, run.stillOpen->edits);
  EXPECT_EQ(log_.passwordWrites, 0) << "expected no write, got " << log_.passwordWrites;
}

}  // namespace
}  // namespace velmora::test
