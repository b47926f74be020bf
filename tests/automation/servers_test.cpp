// The automation edition against fake host servers: what CreateModule does
// with them (the names it shows, its failures, the references it keeps and
// their release at unload), the exact texts the dialog hands them and how,
// and what it checks before any SQL. Servers that fail or answer the
// unexpected while the dialog is open: tests/inject.
#include <functional>

#include "host/Encoding.h"
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

struct CreateFailureCase {
  const char* name;
  std::function<void(FakeServers&)> arrange;
};
void PrintTo(const CreateFailureCase& c, std::ostream* os) { *os << c.name; }

class CreateModuleFailure : public DialogWithFakeServers, public ::testing::WithParamInterface<CreateFailureCase> {};

TEST_P(CreateModuleFailure, ReturnsFailureWritesNothingAndLeavesNoDialog) {
  GetParam().arrange(servers_);
  auto* const sentinel = reinterpret_cast<rtl::TCustomForm*>(std::uintptr_t{0x5A5A5A50});
  rtl::TCustomForm* form = sentinel;
  std::int32_t kind = -77;
  EXPECT_NE(CreateModule(&form, &kind), 0);
  EXPECT_EQ(form, sentinel);
  EXPECT_EQ(kind, -77);
  EXPECT_EQ(rtl::Application->ComponentCount(), 0u) << "expected no dialog left behind";
  // Still no dialog made: FreeModule does not even look at the reference.
  EXPECT_EQ(FreeModule(&form), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, CreateModuleFailure,
    ::testing::Values(
        CreateFailureCase{"FuncStorageNotRegistered", [](FakeServers& s) { s.Unregister(kFuncStorageProgId); }},
        CreateFailureCase{"DataCtlNotRegistered", [](FakeServers& s) { s.Unregister(kDataCtlProgId); }},
        CreateFailureCase{"DataCtlFactoryFails", [](FakeServers& s) { s.dataCtlFactoryResult = rtl::E_OUTOFMEMORY; }},
        CreateFailureCase{"UserNameFails", [](FakeServers& s) { s.failUserName = true; }},
        CreateFailureCase{"UserIdFails", [](FakeServers& s) { s.failUserIdCall = 1; }},
        CreateFailureCase{"UserNameIsNull", [](FakeServers& s) { s.userName = rtl::Variant::Null(); }}),
    CaseName());

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

struct SqlCase {
  const char* name;
  rtl::Variant userId;
  rtl::WideString quoted;  // as it must appear between the quotes
};
void PrintTo(const SqlCase& c, std::ostream* os) { *os << c.name; }

class SqlTexts : public DialogWithFakeServers, public ::testing::WithParamInterface<SqlCase> {};

TEST_P(SqlTexts, QueryAndUpdateCarryTheQuotedUserCodeLetterForLetter) {
  servers_.userId = GetParam().userId;
  const DialogRun run = Change();
  const rtl::WideString code = u"'" + GetParam().quoted + u"'";
  const std::vector<rtl::WideString> query{u"select password from P_User Where UserCode = " + code};
  // The lower-case digest of "new".
  const std::vector<rtl::WideString> update{
      u"Update P_User Set PassWord ='22af645d1859cb5ca6da0c484f1f37ea' "
      u"Where UserCode = " +
      code};
  EXPECT_EQ(servers_.queries, query) << ExpectedGot(query, servers_.queries);
  EXPECT_EQ(servers_.statements, update) << ExpectedGot(update, servers_.statements);
  EXPECT_TRUE(Shows(run, {kPasswordChanged}));
}

INSTANTIATE_TEST_SUITE_P(UserIds, SqlTexts,
                         ::testing::Values(SqlCase{"QuoteInAutomationString", rtl::Variant(u"o'neil"), u"o''neil"},
                                           SqlCase{"QuoteInEightBitString", rtl::Variant("o'neil"), u"o''neil"},
                                           SqlCase{"OnlyQuotes", rtl::Variant(u"''"), u"''''"},
                                           SqlCase{"ChineseEightBitString", rtl::Variant("张三"), u"张三"}),
                         CaseName());

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

struct RejectCase {
  const char* name;
  rtl::AnsiString oldPass, newPass, confirmPass;
  const char* message;
  const char* focusAfter;
};
void PrintTo(const RejectCase& c, std::ostream* os) { *os << c.name; }

class RejectedEntries : public DialogWithFakeServers, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(RejectedEntries, WarnMoveFocusAndSendNothing) {
  const RejectCase& c = GetParam();
  const DialogRun run = RunDialog(Fill(c.oldPass, c.newPass, c.confirmPass, {Click("BtnModify")}));
  EXPECT_TRUE(Shows(run, {c.message}));
  EXPECT_TRUE(ShowsKinds(run, {rtl::TMsgKind::Warning}));
  ExpectOpenUntouched(run, c.oldPass, c.newPass, c.confirmPass);
  if (run.stillOpen) {
    EXPECT_EQ(run.stillOpen->focused, c.focusAfter);
  }
  EXPECT_TRUE(servers_.queries.empty() && servers_.statements.empty()) << "expected no SQL";
}

INSTANTIATE_TEST_SUITE_P(
    Entries, RejectedEntries,
    ::testing::Values(RejectCase{"BlanksOnlyOld", "   ", "new", "new", kOldPasswordEmpty, "EdtOldPass"},
                      RejectCase{"AllEmptyReportsTheOldFirst", "", "", "", kOldPasswordEmpty, "EdtOldPass"},
                      RejectCase{"BlanksOnlyNew", "old", "   ", "   ", kNewPasswordEmpty, "EdtNewPass"},
                      RejectCase{"BlanksOnlyConfirmation", "old", "new", "  ", kNewPasswordEmpty, "EdtNewPass1"},
                      RejectCase{"LetterCaseOnlyDifference", "old", "New", "new", kNewPasswordsDiffer, "EdtNewPass"}),
    CaseName());

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
