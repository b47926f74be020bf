// The hashed change-password dialog end to end: the built library, the
// reference host's automation servers and a temporary SQLite database.
#include "host/services/AutomationServers.h"
#include "host/services/PasswordEncoding.h"
#include "tests/automation/AutomationFixture.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

// Another user's row must never change.
class DialogOnDatabase : public AutomationModuleTest {
 protected:
  void SetUp() override {
    AutomationModuleTest::SetUp();
    db_.AddUser("other", host::Md5Hex("old"));
  }

  void TearDown() override {
    EXPECT_EQ(db_.StoredPassword("other"), host::Md5Hex("old"));
    AutomationModuleTest::TearDown();
  }

  // A dialog made while the host's servers for user are registered.
  rtl::TCustomForm* NewDialogFor(const std::string& code) {
    const host::AutomationServers servers(db_.Sql(), host::UserRecord{code, code}, screen_);
    return NewDialog();
  }

  // Makes a dialog for user, shows it with the entries and Modify, frees it.
  DialogRun ModifyAs(const std::string& user, const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                     const rtl::AnsiString& confirmPass) {
    rtl::TCustomForm* form = NewDialogFor(user);
    if (form == nullptr) return {};
    DialogRun run = Show(*form, Fill(oldPass, newPass, confirmPass, {Click("BtnModify")}));
    FreeDialog(form);
    return run;
  }

  TempDatabase db_;
};

TEST_F(DialogOnDatabase, QuoteInUserCodeChangesOnlyThatUsersRow) {
  db_.AddUser("x' OR '1'='1", host::Md5Hex("old"));
  EXPECT_TRUE(Shows(ModifyAs("x' OR '1'='1", "old", "new", "new"), {kPasswordChanged}));
  EXPECT_EQ(db_.StoredPassword("x' OR '1'='1"), host::Md5Hex("new"));
}

struct ChangeCase {
  const char* name;
  std::string stored;  // demo's PassWord before
  rtl::AnsiString oldPass, newPass, confirmPass;
  const char* storedNew;  // whose lower-case digest is then stored
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class SuccessfulChange : public DialogOnDatabase, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(SuccessfulChange, StoresTheDigestOfTheTrimmedNewPassword) {
  const ChangeCase& c = GetParam();
  db_.AddUser("demo", c.stored);
  const DialogRun run = ModifyAs("demo", c.oldPass, c.newPass, c.confirmPass);
  EXPECT_TRUE(Shows(run, {kPasswordChanged}));
  EXPECT_TRUE(ShowsKinds(run, {rtl::TMsgKind::Information}));
  EXPECT_EQ(run.result, kModalClosed);
  EXPECT_EQ(db_.StoredPassword("demo"), host::Md5Hex(c.storedNew));
  EXPECT_EQ(db_.Sql().Writes(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Passwords, SuccessfulChange,
    ::testing::Values(ChangeCase{"UpperCaseStoredDigest", rtl::UpperCase(host::Md5Hex("old")), "old", "new", "new",
                                 "new"},
                      ChangeCase{"BlanksAroundTheOldIgnored", host::Md5Hex("old"), "  old ", "new", "new", "new"},
                      ChangeCase{"BlanksAroundTheNewIgnored", host::Md5Hex("old"), "old", "  new ", " new", "new"},
                      ChangeCase{"ChineseHashedAsGbk", host::Md5Hex("旧密码"), "旧密码", "新密码", "新密码", "新密码"}),
    CaseName());

struct WrongCase {
  const char* name;
  std::optional<std::string> stored;  // demo's PassWord before
  rtl::AnsiString oldPass;
  bool row = true;  // demo has a row
};

void PrintTo(const WrongCase& c, std::ostream* os) { *os << c.name; }

class WrongOldPassword : public DialogOnDatabase, public ::testing::WithParamInterface<WrongCase> {};

TEST_P(WrongOldPassword, IsCountedWritingNothing) {
  const WrongCase& c = GetParam();
  if (c.row) db_.AddUser("demo", c.stored);
  const DialogRun run = ModifyAs("demo", c.oldPass, "new", "new");
  EXPECT_TRUE(Shows(run, {kOldPasswordWrong}));
  EXPECT_TRUE(ShowsKinds(run, {rtl::TMsgKind::Warning}));
  ASSERT_TRUE(OpenWith(run, Edits(c.oldPass, "new", "new")));
  EXPECT_EQ(run.stillOpen->focused, "BtnModify");
  EXPECT_EQ(run.label6, WrongCountText(1)) << Readable(run.label6);
  if (c.row) {
    EXPECT_EQ(db_.StoredPassword("demo"), c.stored);
  }
  EXPECT_EQ(db_.Sql().Writes(), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, WrongOldPassword,
                         ::testing::Values(WrongCase{"LetterCaseMatters", host::Md5Hex("old"), "OLD"},
                                           WrongCase{"NullPassword", std::nullopt, "old"},
                                           WrongCase{"NoRowForTheUser", std::nullopt, "old", false}),
                         CaseName());

// Checks, while the dialog is shown, that it is open after n wrong passwords.
Step ExpectOpenAfterWrongPasswords(int n) {
  return Inspect([n](rtl::TCustomForm& form) {
    EXPECT_EQ(form.ModalResult(), 0) << "expected the dialog open after " << n << " wrong passwords";
    const auto* label = dynamic_cast<const rtl::TControl*>(form.FindComponent("Label6"));
    EXPECT_TRUE(label != nullptr && label->Caption() == WrongCountText(n)) << "expected Label6 to count " << n;
  });
}

// md5user's dialog, closed by four wrong old passwords.
class AttemptLimit : public DialogOnDatabase {
 protected:
  void SetUp() override {
    DialogOnDatabase::SetUp();
    db_.AddUser("md5user", host::Md5Hex("old"));
    form_ = NewDialogFor("md5user");
    ASSERT_NE(form_, nullptr);
    fourth_ = Show(*form_, Fill("wrong", "new", "new",
                                {Click("BtnModify"), ExpectOpenAfterWrongPasswords(1), Click("BtnModify"),
                                 ExpectOpenAfterWrongPasswords(2), Click("BtnModify"), ExpectOpenAfterWrongPasswords(3),
                                 Click("BtnModify")}));
  }

  void TearDown() override {
    if (form_ != nullptr) FreeDialog(form_);
    EXPECT_EQ(db_.StoredPassword("md5user"), host::Md5Hex("old"));
    DialogOnDatabase::TearDown();
  }

  rtl::TCustomForm* form_ = nullptr;
  DialogRun fourth_;
};

TEST_F(AttemptLimit, FourthWrongPasswordCloses) {
  EXPECT_TRUE(Shows(fourth_, std::vector<rtl::AnsiString>(4, kOldPasswordWrong)));
  // Closed by the dialog itself, not by the runtime when the steps ran out.
  EXPECT_FALSE(fourth_.stillOpen.has_value()) << "expected the fourth to close the dialog";
  EXPECT_EQ(fourth_.result, kModalClosed);
  EXPECT_EQ(fourth_.label6, WrongCountText(4)) << Readable(fourth_.label6);
}

// Shown again, the same dialog counts on and closes at each wrong password.
TEST_F(AttemptLimit, CountGoesOnWhenTheDialogIsShownAgain) {
  const DialogRun run = Show(*form_, {Click("BtnModify")});
  EXPECT_FALSE(run.stillOpen.has_value());
  EXPECT_EQ(run.result, kModalClosed);
  EXPECT_EQ(run.label6, WrongCountText(5)) << Readable(run.label6);
}

TEST_F(AttemptLimit, NewDialogCountsFromNought) {
  FreeDialog(form_);
  form_ = nullptr;
  const DialogRun run = ModifyAs("md5user", "wrong", "new", "new");
  EXPECT_EQ(run.label6, WrongCountText(1)) << "expected a new dialog to count from 0, got " << Readable(run.label6);
}

}  // namespace
}  // namespace velmora::test
