// The automation edition against fake host servers: the names the dialog
// shows, the references it keeps and their release at unload, the exact
// texts it hands the servers and how, what it checks before any SQL, and
// what a server may leave in a by-reference argument.
// Servers that fail or answer the unexpected: tests/inject.
#include "host/services/PasswordEncoding.h"
#include "runtime/controls/ExtCtrls.h"
#include "runtime/dispatch/Apartment.h"
#include "runtime/forms/Application.h"
#include "tests/automation/AutomationFixture.h"
#include "tests/automation/FakeServers.h"

namespace velmora::test {
namespace {

class DialogWithFakeServers : public AutomationModuleTest {
 protected:
  void SetUp() override {
    AutomationModuleTest::SetUp();
    servers_.StorePassword(kMd5Old);
  }

  DialogRun Change() { return RunDialog(Fill("old", "new", "new", {Click("BtnModify")})); }
  void ExpectLifecycle(const std::vector<std::string>& expected) {
    EXPECT_EQ(servers_.lifecycle, expected) << ::testing::PrintToString(servers_.lifecycle);
  }

  FakeServers servers_;
};

rtl::AnsiString CaptionOf(const rtl::TCustomForm& form, const std::string& name) {
  const auto* control = dynamic_cast<const rtl::TControl*>(form.FindComponent(name));
  return control != nullptr ? control->Caption() : "<none>";
}

TEST_F(DialogWithFakeServers, CreateShowsTheUsersIdentity) {
  servers_.userName = rtl::Variant(u"张三");
  servers_.userId = rtl::Variant(u"zs001");
  rtl::TCustomForm* form = NewDialog();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(CaptionOf(*form, "UserName"), "张三") << Readable(CaptionOf(*form, "UserName"));
  EXPECT_EQ(CaptionOf(*form, "UserID"), "zs001");
  FreeDialog(form);
}

TEST_F(DialogWithFakeServers, DialogCarriesItsImageList) {
  rtl::TCustomForm* form = NewDialog();
  ASSERT_NE(form, nullptr);
  const auto* images = dynamic_cast<const rtl::TImageList*>(form->FindComponent("ImageList1"));
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(images->Count(), 233);
  EXPECT_EQ(images->Width, 16);
  EXPECT_EQ(images->Height, 16);
  FreeDialog(form);
}

TEST_F(DialogWithFakeServers, EachDialogReplacesBothServers) {
  rtl::TCustomForm* first = NewDialog();
  ExpectLifecycle({"create FuncStorage#1", "create DataCtl#1"});
  rtl::TCustomForm* second = NewDialog();
  FreeDialog(first);
  FreeDialog(second);
  ExpectLifecycle({"create FuncStorage#1", "create DataCtl#1", "create FuncStorage#2", "release FuncStorage#1",
                   "create DataCtl#2", "release DataCtl#1"});
}

TEST_F(DialogWithFakeServers, UnloadReleasesDataCtlBeforeFuncStorage) {
  FreeDialog(NewDialog());
  FreeDialog(NewDialog());
  Unload();
  ExpectLifecycle({"create FuncStorage#1", "create DataCtl#1", "create FuncStorage#2", "release FuncStorage#1",
                   "create DataCtl#2", "release DataCtl#1", "release DataCtl#2", "release FuncStorage#2"});
  // On Windows: every platform reference the runtime held is released, and
  // the COM it kept for them through the unload goes at the next entry point.
  EXPECT_EQ(rtl::apartment::Objects(), 0u);
  rtl::apartment::Settle();
  EXPECT_FALSE(rtl::apartment::Holds());
}

struct QuotingCase {
  const char* name;
  rtl::Variant userId;     // as UserID answers it
  rtl::WideString quoted;  // as it must appear between the quotes
};

void PrintTo(const QuotingCase& c, std::ostream* os) { *os << c.name; }

class SqlTexts : public DialogWithFakeServers, public ::testing::WithParamInterface<QuotingCase> {};

TEST_P(SqlTexts, CarryTheQuotedUserCodeLetterForLetter) {
  servers_.userId = GetParam().userId;
  const DialogRun run = Change();
  const rtl::WideString code = u"'" + GetParam().quoted + u"'";
  const std::vector<rtl::WideString> query{u"select password from P_User Where UserCode = " + code};
  // The lower-case digest of "new".
  const std::vector<rtl::WideString> update{
      u"Update P_User Set PassWord ='22af645d1859cb5ca6da0c484f1f37ea' Where UserCode = " + code};
  EXPECT_EQ(servers_.queries, query) << ExpectedGot(query, servers_.queries);
  EXPECT_EQ(servers_.statements, update) << ExpectedGot(update, servers_.statements);
  EXPECT_TRUE(Shows(run, {kPasswordChanged}));
}

INSTANTIATE_TEST_SUITE_P(UserCodes, SqlTexts,
                         ::testing::Values(QuotingCase{"WideApostrophe", rtl::Variant(u"o'neil"), u"o''neil"},
                                           QuotingCase{"NarrowApostrophe", rtl::Variant("o'neil"), u"o''neil"},
                                           QuotingCase{"ApostrophesOnly", rtl::Variant(u"''"), u"''''"},
                                           QuotingCase{"Chinese", rtl::Variant("张三"), u"张三"}),
                         CaseName());

TEST_F(DialogWithFakeServers, MessagesGoByValue) {
  const DialogRun run = RunDialog(
      Fill("wrong", "new", "new",
           {Click("BtnModify"), Inspect([this](rtl::TCustomForm&) { servers_.StorePassword(host::Md5Hex("wrong")); }),
            Click("BtnModify")}));
  ASSERT_TRUE(Shows(run, {kOldPasswordWrong, kPasswordChanged}));
  EXPECT_TRUE(ShowsKinds(run, {rtl::TMsgKind::Warning, rtl::TMsgKind::Information}));
  EXPECT_EQ(servers_.passing["alert"], std::set<std::string>{"OleStr"});
  EXPECT_EQ(servers_.passing["prompt"], std::set<std::string>{"OleStr"});
}

TEST_F(DialogWithFakeServers, SqlGoesByReference) {
  ASSERT_TRUE(Shows(Change(), {kPasswordChanged}));
  EXPECT_EQ(servers_.passing["Opensql"], std::set<std::string>{"ByRef OleStr"});
  EXPECT_EQ(servers_.passing["Execsql"], std::set<std::string>{"ByRef OleStr"});
}

struct LeftCase {
  const char* name;
  rtl::Variant left;  // what Execsql leaves in its argument
};

void PrintTo(const LeftCase& c, std::ostream* os) { *os << c.name; }

class ExecsqlLeavingItsArgument : public DialogWithFakeServers, public ::testing::WithParamInterface<LeftCase> {};

// The statement has run: nothing the server leaves behind undoes the change.
TEST_P(ExecsqlLeavingItsArgument, StillEndsAsAChange) {
  servers_.execsqlLeaves = GetParam().left;
  const DialogRun run = Change();
  EXPECT_TRUE(Shows(run, {kPasswordChanged}));
  EXPECT_EQ(run.result, kModalClosed);
  EXPECT_FALSE(run.stillOpen.has_value()) << "expected the dialog closed by the change";
  EXPECT_EQ(servers_.statements.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Values, ExecsqlLeavingItsArgument,
                         ::testing::Values(LeftCase{"TextGbkLacks", rtl::Variant(u"한글")},
                                           LeftCase{"Integer", rtl::Variant(std::int32_t{1})},
                                           LeftCase{"Null", rtl::Variant::Null()}, LeftCase{"Empty", rtl::Variant()},
                                           LeftCase{"OtherText", rtl::Variant(u"改")}),
                         CaseName());

struct MistakeCase {
  const char* name;
  rtl::AnsiString oldPass, newPass, confirmPass;
  const char* message;
  const char* focusAfter;
};

void PrintTo(const MistakeCase& c, std::ostream* os) { *os << c.name; }

// An entry left empty (or blanks only), or two new entries that differ.
class InputMistake : public DialogWithFakeServers, public ::testing::WithParamInterface<MistakeCase> {
 protected:
  DialogRun Run() {
    return RunDialog(Fill(GetParam().oldPass, GetParam().newPass, GetParam().confirmPass, {Click("BtnModify")}));
  }
};

TEST_P(InputMistake, IsWarnedAboutWithTheEntriesKept) {
  const DialogRun run = Run();
  EXPECT_TRUE(Shows(run, {GetParam().message}));
  EXPECT_TRUE(ShowsKinds(run, {rtl::TMsgKind::Warning}));
  ExpectOpenUntouched(run, GetParam().oldPass, GetParam().newPass, GetParam().confirmPass);
}

TEST_P(InputMistake, MovesTheFocusToTheEntryAtFault) {
  const DialogRun run = Run();
  ASSERT_TRUE(run.stillOpen.has_value());
  EXPECT_EQ(run.stillOpen->focused, GetParam().focusAfter);
}

TEST_P(InputMistake, SendsNoSql) {
  Run();
  EXPECT_TRUE(servers_.queries.empty() && servers_.statements.empty()) << "expected no SQL";
}

INSTANTIATE_TEST_SUITE_P(
    Entries, InputMistake,
    ::testing::Values(MistakeCase{"BlankOld", "   ", "new", "new", kOldPasswordEmpty, "EdtOldPass"},
                      MistakeCase{"AllEmptyOldFirst", "", "", "", kOldPasswordEmpty, "EdtOldPass"},
                      MistakeCase{"BlankNew", "old", "   ", "   ", kNewPasswordEmpty, "EdtNewPass"},
                      MistakeCase{"BlankConfirmation", "old", "new", "  ", kNewPasswordEmpty, "EdtNewPass1"},
                      MistakeCase{"LetterCaseDiffers", "old", "New", "new", kNewPasswordsDiffer, "EdtNewPass"}),
    CaseName());

TEST_F(DialogWithFakeServers, EnterWalksOldNewConfirmationModifyWithoutChanging) {
  const DialogRun run =
      RunDialog({ExpectFocus("EdtOldPass"), Type("old"), Enter(), ExpectFocus("EdtNewPass"), Type("new"), Enter(),
                 ExpectFocus("EdtNewPass1"), Type("new"), Enter(), ExpectFocus("BtnModify")});
  EXPECT_TRUE(Shows(run, {}));
  ExpectOpenUntouched(run, "old", "new", "new");
  EXPECT_TRUE(servers_.queries.empty()) << "expected no SQL";
}

TEST_F(DialogWithFakeServers, CancelClosesWithoutDestroyingTheDialog) {
  rtl::TCustomForm* form = NewDialog();
  ASSERT_NE(form, nullptr);
  const DialogRun run = Show(*form, Fill("wrong", "new", "new", {Click("BtnModify"), Click("BtnCancel")}));
  EXPECT_EQ(run.result, kModalClosed);
  EXPECT_TRUE(Shows(run, {kOldPasswordWrong}));
  EXPECT_TRUE(rtl::Application->Owns(form)) << "expected the closed dialog alive until FreeModule";
  EXPECT_EQ(run.label6, WrongCountText(1)) << Readable(run.label6);
  EXPECT_TRUE(servers_.statements.empty());
  FreeDialog(form);
}

}  // namespace
}  // namespace velmora::test
