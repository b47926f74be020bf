// The hashed change-password dialog end to end: the built library, the
// reference host's automation servers and a temporary SQLite database.
#include <algorithm>
#include <cctype>

#include "host/AutomationServers.h"
#include "host/Encoding.h"
#include "runtime/forms/Application.h"
#include "tests/automation/AutomationFixture.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

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
    const std::optional<std::string> stored = db_.StoredPassword(code);
    EXPECT_EQ(stored, expected) << "expected " << code << "'s PassWord " << expected.value_or("NULL") << ", got "
                                << stored.value_or("NULL");
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
  const DialogRun run = RunAs("md5user", FillIn(c.oldPass, c.newPass, c.confirmPass, {Click("BtnModify")}));
  const std::vector<rtl::AnsiString> changed{kPasswordChanged};
  EXPECT_EQ(run.messages, changed) << ExpectedGot(changed, run.messages);
  EXPECT_EQ(run.kinds, std::vector<rtl::TMsgKind>{rtl::TMsgKind::Information})
      << "expected one information box, got " << Readable(run.kinds);
  EXPECT_EQ(run.result, kModalClosed) << "expected the dialog closed with 2, got " << run.result;
  EXPECT_FALSE(run.stillOpen.has_value()) << "expected the dialog closed, got it open";
  ExpectStored("md5user", host::Md5Hex(c.storedNew));
  ExpectStored("other", host::Md5Hex("old"));
  EXPECT_EQ(log_.passwordWrites, 1) << "expected 1 write, got " << log_.passwordWrites;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, SuccessfulChange,
    ::testing::Values(ChangeCase{"LowerCaseStoredDigest", host::Md5Hex("old"), "old", "new", "new", "new"},
                      ChangeCase{"UpperCaseStoredDigest", Upper(host::Md5Hex("old")), "old", "new", "new", "new"},
                      ChangeCase{"BlanksAroundOldIgnored", host::Md5Hex("old"), "  old ", "new", "new", "new"},
                      ChangeCase{"BlanksAroundNewIgnored", host::Md5Hex("old"), "old", "  new ", " new", "new"},
                      ChangeCase{"ChineseNewPasswordHashedAsGbk", host::Md5Hex("old"), "old", "新密码", "新密码",
                                 "新密码"},
                      ChangeCase{"ChineseOldPassword", host::Md5Hex("旧密码"), "旧密码", "new", "new", "new"},
                      ChangeCase{"NewSameAsOld", host::Md5Hex("old"), "old", "old", "old", "old"}),
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
      RunAs(host::UserRecord{"md5user", "md5user"}, FillIn(c.oldPass, "new", "new", {Click("BtnModify")}));
  const std::vector<rtl::AnsiString> wrong{kOldPasswordWrong};
  EXPECT_EQ(run.messages, wrong) << ExpectedGot(wrong, run.messages);
  EXPECT_EQ(run.kinds, std::vector<rtl::TMsgKind>{rtl::TMsgKind::Warning})
      << "expected one warning, got " << Readable(run.kinds);
  ASSERT_TRUE(run.stillOpen.has_value()) << "expected the dialog open, got it ended with " << run.result;
  const auto typed = EditTexts(c.oldPass, "new", "new");
  EXPECT_EQ(run.stillOpen->edits, typed) << ExpectedGot(typed, run.stillOpen->edits);
  EXPECT_EQ(run.stillOpen->focused, "BtnModify")
      << "expected the focus left on BtnModify, got " << run.stillOpen->focused;
  EXPECT_EQ(run.label6, WrongCountText(1))
      << "expected Label6 " << Readable(WrongCountText(1)) << ", got " << Readable(run.label6);
  EXPECT_EQ(run.errorCount, 1) << "expected ErrorCount 1, got " << run.errorCount;
  if (!c.noRow) ExpectStored("md5user", c.stored);
  EXPECT_EQ(log_.passwordWrites, 0) << "expected no write, got " << log_.passwordWrites;
}

INSTANTIATE_TEST_SUITE_P(Stored, WrongOldPassword,
                         ::testing::Values(WrongCase{"OtherDigest", host::Md5Hex("old"), false, "wrong"},
                                           WrongCase{"LetterCaseOfPasswordMatters", host::Md5Hex("old"), false, "OLD"},
                                           WrongCase{"PlainPasswordStored", std::string("old"), false, "old"},
                                           WrongCase{"NoRowForTheUser", std::nullopt, true, "old"},
                                           WrongCase{"NullPassword", std::nullopt, false, "old"},
                                           WrongCase{"EmptyPassword", std::string(), false, "old"}),
                         CaseName());

TEST_F(DialogOnDatabase, FourthWrongPasswordClosesAndShowingAgainContinuesTheCount) {
  db_.AddUser("md5user", host::Md5Hex("old"));
  rtl::TCustomForm* form = NewDialogFor(db_.User("md5user"));
  ASSERT_NE(form, nullptr);
  DialogRun run = Show(*form, FillIn("wrong", "new", "new",
                                     {Click("BtnModify"), ExpectOpenAfterWrongPasswords(1), Click("BtnModify"),
                                      ExpectOpenAfterWrongPasswords(2), Click("BtnModify"),
                                      ExpectOpenAfterWrongPasswords(3), Click("BtnModify")}));
  const std::vector<rtl::AnsiString> fourWrong(4, kOldPasswordWrong);
  EXPECT_EQ(run.messages, fourWrong) << ExpectedGot(fourWrong, run.messages);
  EXPECT_EQ(run.result, kModalClosed) << "expected the fourth to close the dialog with 2, got " << run.result;
  EXPECT_FALSE(run.stillOpen.has_value()) << "expected the dialog closed, got it open";
  EXPECT_EQ(run.label6, WrongCountText(4))
      << "expected Label6 " << Readable(WrongCountText(4)) << ", got " << Readable(run.label6);
  EXPECT_EQ(run.errorCount, 4) << "expected ErrorCount 4, got " << run.errorCount;

  for (int n = 5; n <= 6; ++n) {
    SCOPED_TRACE(::testing::Message() << "showing again, wrong password " << n);
    run = Show(*form, {Click("BtnModify")});
    EXPECT_EQ(run.result, kModalClosed) << "expected the dialog closed at once with 2, got " << run.result;
    EXPECT_FALSE(run.stillOpen.has_value()) << "expected the dialog closed, got it open";
    EXPECT_EQ(run.label6, WrongCountText(n))
        << "expected Label6 " << Readable(WrongCountText(n)) << ", got " << Readable(run.label6);
    EXPECT_EQ(run.errorCount, n) << "expected ErrorCount " << n << ", got " << run.errorCount;
  }
  FreeDialog(form);
  ExpectStored("md5user", host::Md5Hex("old"));
}

TEST_F(DialogOnDatabase, EachNewDialogStartsCountingAgain) {
  db_.AddUser("md5user", host::Md5Hex("old"));
  const DialogRun first = RunAs("md5user", FillIn("wrong", "new", "new", {Click("BtnModify"), Click("BtnModify")}));
  EXPECT_EQ(first.errorCount, 2) << "expected ErrorCount 2, got " << first.errorCount;
  const DialogRun second = RunAs("md5user", FillIn("wrong", "new", "new", {Click("BtnModify")}));
  EXPECT_EQ(second.errorCount, 1) << "expected a new dialog to count from 0, got " << second.errorCount;
  EXPECT_EQ(second.label6, WrongCountText(1))
      << "expected Label6 " << Readable(WrongCountText(1)) << ", got " << Readable(second.label6);
}

TEST_F(DialogOnDatabase, QuoteInUserCodeChangesOnlyThatUsersRow) {
  for (const char* code : {"o'neil", "oneil", "o''neil", "o", "neil"}) db_.AddUser(code, host::Md5Hex("old"));
  const DialogRun run = RunAs("o'neil", FillIn("old", "new", "new", {Click("BtnModify")}));
  const std::vector<rtl::AnsiString> changed{kPasswordChanged};
  EXPECT_EQ(run.messages, changed) << ExpectedGot(changed, run.messages);
  ExpectStored("o'neil", host::Md5Hex("new"));
  for (const char* code : {"oneil", "o''neil", "o", "neil", "other"}) ExpectStored(code, host::Md5Hex("old"));
}

TEST_F(DialogOnDatabase, ChineseUserCodeIsReadAndWritten) {
  const std::string code = reinterpret_cast<const char*>(u8"张三");
  db_.AddUser(code, host::Md5Hex("old"));
  const DialogRun run = RunAs(code, FillIn("old", "new", "new", {Click("BtnModify")}));
  const std::vector<rtl::AnsiString> changed{kPasswordChanged};
  EXPECT_EQ(run.messages, changed) << ExpectedGot(changed, run.messages);
  ExpectStored(code, host::Md5Hex("new"));
}

TEST_F(DialogOnDatabase, LockedDatabaseWarnsOfTheFailureAndARetrySucceeds) {
  db_.AddUser("md5user", host::Md5Hex("old"));
  std::unique_ptr<host::Database> other = db_.OpenConnection();
  other->Begin();  // holds the write lock
  const DialogRun run = RunAs(
      "md5user", FillIn("old", "new", "new",
                        {Click("BtnModify"), Inspect([&](rtl::TCustomForm& form) {
                           EXPECT_EQ(form.ModalResult(), 0) << "expected the dialog open, got " << form.ModalResult();
                           EXPECT_EQ(ErrorCountOf(form), 0) << "expected ErrorCount 0, got " << ErrorCountOf(form);
                           ExpectStored("md5user", host::Md5Hex("old"));
                           other->Rollback();
                         }),
                         Click("BtnModify")}));
  const std::vector<rtl::AnsiString> expected{kChangeFailed, kPasswordChanged};
  EXPECT_EQ(run.messages, expected) << ExpectedGot(expected, run.messages);
  ExpectStored("md5user", host::Md5Hex("new"));
}

}  // namespace
}  // namespace velmora::test
