// The change-password dialog end to end: the built library, the reference
// host's context and a temporary SQLite database.
#include "host/services/ContextHost.h"
#include "host/services/PasswordEncoding.h"
#include "tests/context/ContextFixture.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

// demo's password is "old"; another user's row must never change.
class PasswordDialogOnDatabase : public ContextModuleTest {
 protected:
  void SetUp() override {
    ContextModuleTest::SetUp();
    db_.AddUserWithPassword("demo", "old");
    db_.AddUserWithPassword("other", "old");
  }

  void TearDown() override {
    ExpectStored("other", "old");
    ContextModuleTest::TearDown();
  }

  DialogRun RunAsDemo(std::vector<Step> steps) {
    host::ContextHost context(db_.Sql(), db_.User("demo"), screen_);
    return RunWith(context, std::move(steps));
  }

  void ExpectStored(const std::string& code, const rtl::AnsiString& plain) {
    EXPECT_EQ(db_.StoredPassword(code), host::EncodeHostPassword(plain))
        << "expected " << code << "'s password to be " << Readable(plain);
  }

  TempDatabase db_;
};

TEST_F(PasswordDialogOnDatabase, QuoteInUserCodeChangesOnlyThatUsersRow) {
  db_.AddUserWithPassword("x' OR '1'='1", "old");
  host::ContextHost context(db_.Sql(), db_.User("x' OR '1'='1"), screen_);
  EXPECT_TRUE(Shows(RunWith(context, Fill("old", "new", "new", {Click("btnOK")})), {kPasswordChanged}));
  ExpectStored("x' OR '1'='1", "new");
  ExpectStored("demo", "old");
}

struct ChangeCase {
  const char* name;
  rtl::AnsiString newPass;  // typed twice
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class SuccessfulChange : public PasswordDialogOnDatabase, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(SuccessfulChange, StoresTheEncodedNewPasswordAsTyped) {
  const DialogRun run = RunAsDemo(Fill("old", GetParam().newPass, GetParam().newPass, {Click("btnOK")}));
  EXPECT_TRUE(Shows(run, {kPasswordChanged}));
  EXPECT_EQ(run.result, kModalOk);
  ExpectStored("demo", GetParam().newPass);
}

INSTANTIATE_TEST_SUITE_P(NewPasswords, SuccessfulChange,
                         ::testing::Values(ChangeCase{"EmptyNewAndConfirmation", ""}, ChangeCase{"Chinese", "新密码"},
                                           ChangeCase{"BlanksKept", " n "}),
                         CaseName());

struct MistakeCase {
  const char* name;
  rtl::AnsiString oldPass, newPass, confirmPass;
  const char* message;
  std::array<rtl::AnsiString, 3> editsAfter;  // old, new and confirmation
  const char* focusAfter;
};

void PrintTo(const MistakeCase& c, std::ostream* os) { *os << c.name; }

class Mistake : public PasswordDialogOnDatabase, public ::testing::WithParamInterface<MistakeCase> {};

TEST_P(Mistake, ResetsItsEditsWritingNothing) {
  const MistakeCase& c = GetParam();
  const DialogRun run = RunAsDemo(Fill(c.oldPass, c.newPass, c.confirmPass, {Click("btnOK")}));
  EXPECT_TRUE(Shows(run, {c.message}));
  ASSERT_TRUE(OpenWith(run, Edits(c.editsAfter[0], c.editsAfter[1], c.editsAfter[2])));
  EXPECT_EQ(run.stillOpen->focused, c.focusAfter);
  ExpectStored("demo", "old");
  EXPECT_EQ(db_.Sql().Writes(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, Mistake,
    ::testing::Values(
        MistakeCase{"WrongOld", "wrong", "n1", "n1", kOldPasswordWrong, {"", "n1", "n1"}, "edtOldPass"},
        MistakeCase{"OldNotTrimmed", "old ", "n1", "n1", kOldPasswordWrong, {"", "n1", "n1"}, "edtOldPass"},
        MistakeCase{"ConfirmationDiffers", "old", "n1", "n2", kNewPasswordsDiffer, {"old", "", ""}, "edtNewPass"},
        MistakeCase{"ConfirmationNotTrimmed", "old", "n1", "n1 ", kNewPasswordsDiffer, {"old", "", ""}, "edtNewPass"}),
    CaseName());

struct EnterCase {
  const char* name;
  const char* oldPass;
  const char* message;
  int modalResult;
  const char* storedAfter;
};

void PrintTo(const EnterCase& c, std::ostream* os) { *os << c.name; }

class EnterKey : public PasswordDialogOnDatabase, public ::testing::WithParamInterface<EnterCase> {};

// Enter walks old, new and confirmation, and in the confirmation acts as OK.
TEST_P(EnterKey, MovesTheFocusThenActsAsOk) {
  const EnterCase& c = GetParam();
  const DialogRun run = RunAsDemo({ExpectFocus("edtOldPass"), Type(c.oldPass), Enter(), ExpectFocus("edtNewPass"),
                                   Type("n1"), Enter(), ExpectFocus("edtConfirmPass"), Type("n1"), Enter()});
  EXPECT_TRUE(Shows(run, {c.message}));
  EXPECT_EQ(run.stillOpen ? run.stillOpen->modalResult : run.result, c.modalResult);
  ExpectStored("demo", c.storedAfter);
}

INSTANTIATE_TEST_SUITE_P(OldPasswords, EnterKey,
                         ::testing::Values(EnterCase{"Wrong", "wrong", kOldPasswordWrong, 0, "old"},
                                           EnterCase{"Right", "old", kPasswordChanged, kModalOk, "n1"}),
                         CaseName());

struct CancelCase {
  const char* name;
  Step (*cancel)();
};

void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

class Cancelling : public PasswordDialogOnDatabase, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(Cancelling, EndsWithCancelWritingNothing) {
  const DialogRun run = RunAsDemo(Fill("old", "n1", "n1", {GetParam().cancel()}));
  EXPECT_EQ(run.result, kModalCancel);
  EXPECT_TRUE(Shows(run, {}));
  ExpectStored("demo", "old");
}

INSTANTIATE_TEST_SUITE_P(Ways, Cancelling,
                         ::testing::Values(CancelCase{"Esc", &Esc},
                                           CancelCase{"CancelButton", [] { return Click("btnCancel"); }},
                                           CancelCase{"CloseBox", &CloseBox}),
                         CaseName());

}  // namespace
}  // namespace velmora::test
