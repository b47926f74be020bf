// The change-password dialog end to end: the built library, the reference
// host's context and a temporary SQLite database.
#include "host/services/ContextHost.h"
#include "host/services/PasswordEncoding.h"
#include "tests/context/ContextFixture.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

class PasswordDialogOnDatabase : public ContextModuleTest {
 protected:
  DialogRun RunAs(const std::string& code, std::vector<Step> steps) {
    host::ContextHost context(db_.Sql(), db_.User(code), screen_);
    return RunWith(context, std::move(steps));
  }

  void ExpectStored(const std::string& code, const rtl::AnsiString& plain) {
    EXPECT_EQ(db_.StoredPassword(code), host::EncodeHostPassword(plain))
        << "expected " << code << "'s password to be " << Readable(plain);
  }

  TempDatabase db_;
};

// Each case is a user of its own; no change may reach another's row.
TEST_F(PasswordDialogOnDatabase, WritesTheEncodedNewPasswordOrResetsTheEditsOfAMistake) {
  const struct {
    rtl::AnsiString oldPass, newPass, confirmPass;
    const char* message;
    std::array<rtl::AnsiString, 3> editsAfter;  // old, new and confirmation after a mistake
    const char* focusAfter = nullptr;           // nullptr: changed
  } cases[] = {
      {"old", "", "", kPasswordChanged, {}},
      {"old", "新密码", "新密码", kPasswordChanged, {}},
      {"old", " n ", " n ", kPasswordChanged, {}},  // blanks kept as typed
      {"wrong", "n1", "n1", kOldPasswordWrong, {"", "n1", "n1"}, "edtOldPass"},
      {"old ", "n1", "n1", kOldPasswordWrong, {"", "n1", "n1"}, "edtOldPass"},  // not trimmed
      {"old", "n1", "n2", kNewPasswordsDiffer, {"old", "", ""}, "edtNewPass"},
      {"old", "n1", "n1 ", kNewPasswordsDiffer, {"old", "", ""}, "edtNewPass"},
  };
  db_.AddUserWithPassword("other", "old");
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(Readable(c.oldPass) + " " + Readable(c.newPass) + " " + Readable(c.confirmPass));
    const std::string user = std::string("u").append(std::to_string(i));
    db_.AddUserWithPassword(user, "old");
    const int writes = db_.Sql().Writes();
    const DialogRun run = RunAs(user, Fill(c.oldPass, c.newPass, c.confirmPass, {Click("btnOK")}));
    EXPECT_TRUE(Shows(run, {c.message}));
    if (c.focusAfter == nullptr) {
      EXPECT_EQ(run.result, kModalOk);
      ExpectStored(user, c.newPass);
      continue;
    }
    ASSERT_TRUE(OpenWith(run, Edits(c.editsAfter[0], c.editsAfter[1], c.editsAfter[2])));
    EXPECT_EQ(run.stillOpen->focused, c.focusAfter);
    ExpectStored(user, "old");
    EXPECT_EQ(db_.Sql().Writes(), writes);
  }
  ExpectStored("other", "old");
}

// Enter walks old, new and confirmation, and in the confirmation acts as OK.
TEST_F(PasswordDialogOnDatabase, EnterMovesFocusThenActsAsOk) {
  db_.AddUserWithPassword("demo", "old");
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
  db_.AddUserWithPassword("demo", "old");
  for (const Step& cancel : {Esc(), Click("btnCancel"), CloseBox()}) {
    const DialogRun run = RunAs("demo", Fill("old", "n1", "n1", {cancel}));
    EXPECT_EQ(run.result, kModalCancel);
    EXPECT_TRUE(Shows(run, {}));
  }
  ExpectStored("demo", "old");
}

}  // namespace
}  // namespace velmora::test
