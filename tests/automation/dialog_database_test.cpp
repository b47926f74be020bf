// The hashed change-password dialog end to end: the built library, the
// reference host's automation servers and a temporary SQLite database.

#include "host/AutomationServers.h"
#include "host/Encoding.h"
#include "tests/automation/AutomationFixture.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

class DialogOnDatabase : public AutomationModuleTest {
 protected:
  void SetUp() override {
    AutomationModuleTest::SetUp();
    db_.AddUser("other", host::Md5Hex("old"));
  }

  // The host's servers for user, registered while the dialog is created.
  rtl::TCustomForm* NewDialogFor(const host::UserRecord& user) {
    const host::AutomationServers servers(db_.Db(), user, log_);
    return NewDialog();
  }

  DialogRun RunAs(const host::UserRecord& user, std::vector<Step> steps) {
    rtl::TCustomForm* form = NewDialogFor(user);
    if (form == nullptr) return {};
    DialogRun run = Show(*form, std::move(steps));
    FreeDialog(form);
    return run;
  }
  DialogRun RunAs(const std::string& code, std::vector<Step> steps) { return RunAs(db_.User(code), std::move(steps)); }

  void ExpectStored(const std::string& code, const std::optional<std::string>& expected) {
    EXPECT_EQ(db_.StoredPassword(code), expected) << "the PassWord of " << code;
  }

  TempDatabase db_;
};

struct ChangeCase {
  const char* name;
  std::string stored;  // the user's PassWord before
  rtl::AnsiString oldPass, newPass, confirmPass;
  rtl::AnsiString storedNew;  // the trimmed new password whose digest is written
};
void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class SuccessfulChange : public DialogOnDatabase, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(SuccessfulChange, StoresTheLowerCaseDigestOfTheTrimmedNewPasswordAndCloses) {
  const ChangeCase& c = GetParam();
  db_.AddUser("md5user", c.stored);
  const DialogRun run = RunAs("md5user", Fill(c.oldPass, c.newPass, c.confirmPass, {Click("BtnModify")}));
  EXPECT_TRUE(Shows(run, {kPasswordChanged}));
  EXPECT_TRUE(ShowsKinds(run, {rtl::TMsgKind::Information}));
  EXPECT_EQ(run.result, kModalClosed);
  ExpectStored("md5user", host::Md5Hex(c.storedNew));
  ExpectStored("other", host::Md5Hex("old"));
  EXPECT_EQ(log_.passwordWrites, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, SuccessfulChange,
    ::testing::Values(ChangeCase{"UpperCaseStoredDigest", rtl::UpperCase(host::Md5Hex("old")), "old", "new", "new",
                                 "new"},
                      ChangeCase{"BlanksAroundOldIgnored", host::Md5Hex("old"), "  old ", "new", "new", "new"},
                      ChangeCase{"BlanksAroundNewIgnored", host::Md5Hex("old"), "old", "  new ", " new", "new"},
                      ChangeCase{"ChineseHashedAsGbk", host::Md5Hex("旧密码"), "旧密码", "新密码", "新密码", "新密码"}),
    CaseName());

struct WrongCase {
  const char* name;
  std::optional<std::string> stored;  // the user's PassWord; no row at all when absent and noRow
  bool noRow;
  rtl::AnsiString oldPass;
};
void PrintTo(const WrongCase& c, std::ostream* os) { *os << c.name; }

class WrongOldPassword : public DialogOnDatabase, public ::testing::WithParamInterface<WrongCase> {};

TEST_P(WrongOldPassword, WarnsCountsOneAndKeepsEditsFocusAndRow) {
  const WrongCase& c = GetParam();
  if (!c.noRow) db_.AddUser("md5user", c.stored);
  const DialogRun run =
      RunAs(host::UserRecord{"md5user", "md5user"}, Fill(c.oldPass, "new", "new", {Click("BtnModify")}));
  EXPECT_TRUE(Shows(run, {kOldPasswordWrong}));
  EXPECT_TRUE(ShowsKinds(run, {rtl::TMsgKind::Warning}));
  ASSERT_TRUE(OpenWith(run, Edits(c.oldPass, "new", "new")));
  EXPECT_EQ(run.stillOpen->focused, "BtnModify");
  EXPECT_EQ(run.label6, WrongCountText(1)) << Readable(run.label6);
  if (!c.noRow) ExpectStored("md5user", c.stored);
  EXPECT_EQ(log_.passwordWrites, 0);
}

INSTANTIATE_TEST_SUITE_P(Stored, WrongOldPassword,
                         ::testing::Values(WrongCase{"LetterCaseOfPasswordMatters", host::Md5Hex("old"), false, "OLD"},
                                           WrongCase{"NoRowForTheUser", std::nullopt, true, "old"},
                                           WrongCase{"NullPassword", std::nullopt, false, "old"}),
                         CaseName());

// Checks, while the dialog is shown, that it is open after n wrong passwords.
Step ExpectOpenAfterWrongPasswords(int n) {
  return Inspect([n](rtl::TCustomForm& form) {
    EXPECT_EQ(form.ModalResult(), 0) << "expected the dialog open after " << n << " wrong passwords";
    const auto* label = dynamic_cast<const rtl::TControl*>(form.FindComponent("Label6"));
    EXPECT_TRUE(label != nullptr && label->Caption() == WrongCountText(n)) << "expected Label6 to count " << n;
  });
}

TEST_F(DialogOnDatabase, FourthWrongPasswordClosesAndTheCountGoesOnUntilANewDialog) {
  db_.AddUser("md5user", host::Md5Hex("old"));
  rtl::TCustomForm* form = NewDialogFor(db_.User("md5user"));
  ASSERT_NE(form, nullptr);
  DialogRun run = Show(*form, Fill("wrong", "new", "new",
                                   {Click("BtnModify"), ExpectOpenAfterWrongPasswords(1), Click("BtnModify"),
                                    ExpectOpenAfterWrongPasswords(2), Click("BtnModify"),
                                    ExpectOpenAfterWrongPasswords(3), Click("BtnModify")}));
  EXPECT_TRUE(Shows(run, std::vector<rtl::AnsiString>(4, kOldPasswordWrong)));
  // Closed by the dialog itself, not by the runtime when the steps ran out.
  EXPECT_FALSE(run.stillOpen.has_value()) << "expected the fourth to close the dialog";
  EXPECT_EQ(run.result, kModalClosed);
  EXPECT_EQ(run.label6, WrongCountText(4)) << Readable(run.label6);
  // Shown again, the same dialog counts on and closes at each wrong password.
  run = Show(*form, {Click("BtnModify")});
  EXPECT_FALSE(run.stillOpen.has_value());
  EXPECT_EQ(run.result, kModalClosed);
  EXPECT_EQ(run.label6, WrongCountText(5)) << Readable(run.label6);
  FreeDialog(form);
  run = RunAs("md5user", Fill("wrong", "new", "new", {Click("BtnModify")}));
  EXPECT_EQ(run.label6, WrongCountText(1)) << "expected a new dialog to count from 0, got " << Readable(run.label6);
  ExpectStored("md5user", host::Md5Hex("old"));
}

TEST_F(DialogOnDatabase, QuoteInUserCodeChangesOnlyThatUsersRow) {
  for (const char* code : {"o'neil", "oneil", "o''neil", "o", "neil"}) db_.AddUser(code, host::Md5Hex("old"));
  const DialogRun run = RunAs("o'neil", Fill("old", "new", "new", {Click("BtnModify")}));
  EXPECT_TRUE(Shows(run, {kPasswordChanged}));
  ExpectStored("o'neil", host::Md5Hex("new"));
  for (const char* code : {"oneil", "o''neil", "o", "neil", "other"}) ExpectStored(code, host::Md5Hex("old"));
}

}  // namespace
}  // namespace velmora::test
