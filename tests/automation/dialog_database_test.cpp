// The hashed change-password dialog end to end: the built library, the
// reference host's automation servers and a temporary SQLite database.
#include "host/services/AutomationServers.h"
#include "host/services/PasswordEncoding.h"
#include "tests/automation/AutomationFixture.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

class DialogOnDatabase : public AutomationModuleTest {
 protected:
  // A dialog made while the host's servers for user are registered.
  rtl::TCustomForm* NewDialogFor(const std::string& code) {
    const host::AutomationServers servers(db_.Sql(), host::UserRecord{code, code}, screen_);
    return NewDialog();
  }

  TempDatabase db_;
};

// Each case is a user of its own; no change may reach another's row.
TEST_F(DialogOnDatabase, StoresTheDigestOfTheTrimmedNewPasswordOrCountsAWrongOldOne) {
  const struct {
    const char* name;
    std::optional<std::string> stored;  // the user's PassWord before
    rtl::AnsiString oldPass, newPass, confirmPass;
    const char* storedNew;  // whose lower-case digest is then stored; nullptr for a wrong old password
    bool row = true;        // the user has a row
  } cases[] = {
      {"upper-case stored digest", rtl::UpperCase(host::Md5Hex("old")), "old", "new", "new", "new"},
      {"blanks around the old ignored", host::Md5Hex("old"), "  old ", "new", "new", "new"},
      {"blanks around the new ignored", host::Md5Hex("old"), "old", "  new ", " new", "new"},
      {"Chinese hashed as GBK", host::Md5Hex("旧密码"), "旧密码", "新密码", "新密码", "新密码"},
      {"letter case of the password matters", host::Md5Hex("old"), "OLD", "new", "new", nullptr},
      {"NULL password", std::nullopt, "old", "new", "new", nullptr},
      {"no row for the user", std::nullopt, "old", "new", "new", nullptr, false},
  };
  db_.AddUser("other", host::Md5Hex("old"));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.name);
    const std::string user = std::string("u").append(std::to_string(i));
    if (c.row) db_.AddUser(user, c.stored);
    const int writes = db_.Sql().Writes();
    rtl::TCustomForm* form = NewDialogFor(user);
    ASSERT_NE(form, nullptr);
    const DialogRun run = Show(*form, Fill(c.oldPass, c.newPass, c.confirmPass, {Click("BtnModify")}));
    FreeDialog(form);
    if (c.storedNew != nullptr) {
      EXPECT_TRUE(Shows(run, {kPasswordChanged}));
      EXPECT_TRUE(ShowsKinds(run, {rtl::TMsgKind::Information}));
      EXPECT_EQ(run.result, kModalClosed);
      EXPECT_EQ(db_.StoredPassword(user), host::Md5Hex(c.storedNew));
      EXPECT_EQ(db_.Sql().Writes(), writes + 1);
      continue;
    }
    EXPECT_TRUE(Shows(run, {kOldPasswordWrong}));
    EXPECT_TRUE(ShowsKinds(run, {rtl::TMsgKind::Warning}));
    ASSERT_TRUE(OpenWith(run, Edits(c.oldPass, "new", "new")));
    EXPECT_EQ(run.stillOpen->focused, "BtnModify");
    EXPECT_EQ(run.label6, WrongCountText(1)) << Readable(run.label6);
    if (c.row) {
      EXPECT_EQ(db_.StoredPassword(user), c.stored);
    }
    EXPECT_EQ(db_.Sql().Writes(), writes);
  }
  EXPECT_EQ(db_.StoredPassword("other"), host::Md5Hex("old"));
}

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
  rtl::TCustomForm* form = NewDialogFor("md5user");
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
  form = NewDialogFor("md5user");
  ASSERT_NE(form, nullptr);
  run = Show(*form, Fill("wrong", "new", "new", {Click("BtnModify")}));
  FreeDialog(form);
  EXPECT_EQ(run.label6, WrongCountText(1)) << "expected a new dialog to count from 0, got " << Readable(run.label6);
  EXPECT_EQ(db_.StoredPassword("md5user"), host::Md5Hex("old"));
}

}  // namespace
}  // namespace velmora::test
