// The automation edition against fake host servers: the names the dialog
// shows, the references it keeps and their release at unload, the exact
// texts it hands the servers and how, and what it checks before any SQL.
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

TEST_F(DialogWithFakeServers, DialogShowsTheUsersNameAndCodeAndCarriesItsImageList) {
  servers_.userName = rtl::Variant(u"张三");
  servers_.userId = rtl::Variant(u"zs001");
  rtl::TCustomForm* form = NewDialog();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(CaptionOf(*form, "UserName"), "张三") << Readable(CaptionOf(*form, "UserName"));
  EXPECT_EQ(CaptionOf(*form, "UserID"), "zs001");
  const auto* images = dynamic_cast<const rtl::TImageList*>(form->FindComponent("ImageList1"));
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(images->Count(), 233);
  EXPECT_EQ(images->Width, 16);
  EXPECT_EQ(images->Height, 16);
  FreeDialog(form);
}

TEST_F(DialogWithFakeServers, EachDialogReplacesBothServersAndUnloadReleasesDataCtlFirst) {
  rtl::TCustomForm* first = NewDialog();
  ExpectLifecycle({"create FuncStorage#1", "create DataCtl#1"});
  rtl::TCustomForm* second = NewDialog();
  FreeDialog(first);
  FreeDialog(second);
  ExpectLifecycle({"create FuncStorage#1", "create DataCtl#1", "create FuncStorage#2", "release FuncStorage#1",
                   "create DataCtl#2", "release DataCtl#1"});
  Unload();
  ExpectLifecycle({"create FuncStorage#1", "create DataCtl#1", "create FuncStorage#2", "release FuncStorage#1",
                   "create DataCtl#2", "release DataCtl#1", "release DataCtl#2", "release FuncStorage#2"});
  // On Windows: every platform reference the runtime held is released, and
  // the COM it kept for them through the unload goes at the next entry point.
  EXPECT_EQ(rtl::apartment::Objects(), 0u);
  rtl::apartment::Settle();
  EXPECT_FALSE(rtl::apartment::Holds());
}

TEST_F(DialogWithFakeServers, QueryAndUpdateCarryTheQuotedUserCodeLetterForLetter) {
  const std::pair<rtl::Variant, rtl::WideString> cases[] = {
      // the user code as UserID answers it, and as it must appear between the quotes
      {rtl::Variant(u"o'neil"), u"o''neil"},
      {rtl::Variant("o'neil"), u"o''neil"},
      {rtl::Variant(u"''"), u"''''"},
      {rtl::Variant("张三"), u"张三"},
  };
  for (const auto& [userId, quoted] : cases) {
    servers_.userId = userId;
    servers_.queries.clear();
    servers_.statements.clear();
    const DialogRun run = Change();
    const rtl::WideString code = u"'" + quoted + u"'";
    const std::vector<rtl::WideString> query{u"select password from P_User Where UserCode = " + code};
    // The lower-case digest of "new".
    const std::vector<rtl::WideString> update{
        u"Update P_User Set PassWord ='22af645d1859cb5ca6da0c484f1f37ea' Where UserCode = " + code};
    EXPECT_EQ(servers_.queries, query) << ExpectedGot(query, servers_.queries);
    EXPECT_EQ(servers_.statements, update) << ExpectedGot(update, servers_.statements);
    EXPECT_TRUE(Shows(run, {kPasswordChanged}));
  }
}

TEST_F(DialogWithFakeServers, MessagesGoByValueAndSqlByReference) {
  const DialogRun run = RunDialog(
      Fill("wrong", "new", "new",
           {Click("BtnModify"), Inspect([this](rtl::TCustomForm&) { servers_.StorePassword(host::Md5Hex("wrong")); }),
            Click("BtnModify")}));
  ASSERT_TRUE(Shows(run, {kOldPasswordWrong, kPasswordChanged}));
  EXPECT_TRUE(ShowsKinds(run, {rtl::TMsgKind::Warning, rtl::TMsgKind::Information}));
  const std::map<std::string, std::set<std::string>> passing{
      {"alert", {"OleStr"}}, {"prompt", {"OleStr"}}, {"Opensql", {"ByRef OleStr"}}, {"Execsql", {"ByRef OleStr"}}};
  EXPECT_EQ(servers_.passing, passing);
}

TEST_F(DialogWithFakeServers, EmptyOrDifferingEntriesWarnMoveTheFocusAndSendNothing) {
  const struct {
    rtl::AnsiString oldPass, newPass, confirmPass;
    const char* message;
    const char* focusAfter;
  } cases[] = {
      {"   ", "new", "new", kOldPasswordEmpty, "EdtOldPass"},
      {"", "", "", kOldPasswordEmpty, "EdtOldPass"},  // the old one is reported first
      {"old", "   ", "   ", kNewPasswordEmpty, "EdtNewPass"},
      {"old", "new", "  ", kNewPasswordEmpty, "EdtNewPass1"},
      {"old", "New", "new", kNewPasswordsDiffer, "EdtNewPass"},  // letter case matters
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const DialogRun run = RunDialog(Fill(c.oldPass, c.newPass, c.confirmPass, {Click("BtnModify")}));
    EXPECT_TRUE(Shows(run, {c.message}));
    EXPECT_TRUE(ShowsKinds(run, {rtl::TMsgKind::Warning}));
    ExpectOpenUntouched(run, c.oldPass, c.newPass, c.confirmPass);
    if (run.stillOpen) {
      EXPECT_EQ(run.stillOpen->focused, c.focusAfter);
    }
  }
  EXPECT_TRUE(servers_.queries.empty() && servers_.statements.empty()) << "expected no SQL";
}

TEST_F(DialogWithFakeServers, EnterWalksOldNewConfirmationModifyWithoutChanging) {
  const DialogRun run =
      RunDialog({ExpectFocus("EdtOldPass"), Type("old"), Enter(), ExpectFocus("EdtNewPass"), Type("new"), Enter(),
                 ExpectFocus("EdtNewPass1"), Type("new"), Enter(), ExpectFocus("BtnModify")});
  EXPECT_TRUE(Shows(run, {}));
  ExpectOpenUntouched(run, "old", "new", "new");
  EXPECT_TRUE(servers_.queries.empty()) << "expected no SQL";
}

TEST_F(DialogWithFakeServers, CancelClosesKeepingTheDialogAndItsCount) {
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
