// The change-password dialog against a fake host context: the exact SQL it
// hands the host, how it compares what the host answers, and the context
// each CreateModule brings. Failing hosts: tests/inject.
#include "tests/context/ContextFixture.h"

namespace velmora::test {
namespace {

using PasswordDialogWithFakeHost = ContextModuleTest;

TEST_F(PasswordDialogWithFakeHost, SqlQuotesUserCodeAndEncodedPasswordLetterForLetter) {
  const std::pair<rtl::AnsiString, rtl::WideString> cases[] = {
      // the user code (GBK), and as it must appear between the quotes
      {"o'neil", u"o''neil"},
      {"''", u"''''"},
      {"张三", u"张三"},
      {" a b ", u" a b "},
  };
  for (const auto& [userCode, quoted] : cases) {
    FakeHostContext context(userCode);
    context.encode = [](const rtl::AnsiString& p) { return "密'" + p; };
    context.StorePassword("old");
    const DialogRun run = RunWith(context, Fill("old", "new", "new", {Click("btnOK")}));
    EXPECT_EQ(run.result, kModalOk);
    const rtl::WideString code = u"'" + quoted + u"'";
    const std::vector<rtl::WideString> select{u"Select PassWord From P_User Where UserCode = " + code};
    const std::vector<rtl::WideString> update{u"UpDate P_User Set PassWord = '密''new' Where UserCode = " + code};
    EXPECT_EQ(context.openSql, select) << ExpectedGot(select, context.openSql);
    EXPECT_EQ(context.execSql, update) << ExpectedGot(update, context.execSql);
  }
}

TEST_F(PasswordDialogWithFakeHost, StoredPasswordIsComparedAsTextByteForByte) {
  const std::tuple<rtl::Variant, rtl::AnsiString, const char*> cases[] = {
      {rtl::Variant(std::int32_t{42}), "42", kPasswordChanged},
      {rtl::Variant(rtl::WideString(u"密码")), "密码", kPasswordChanged},
      {rtl::Variant("ABC"), "abc", kOldPasswordWrong}};
  for (const auto& [answer, typed, message] : cases) {
    SCOPED_TRACE(Readable(typed));
    FakeHostContext context("demo");
    context.encode = [](const rtl::AnsiString& p) { return p; };
    context.queryAnswer = answer;
    EXPECT_TRUE(Shows(RunWith(context, Fill(typed, "new", "new", {Click("btnOK")})), {message}));
  }
}

TEST_F(PasswordDialogWithFakeHost, EachCreateModuleHandsAllDialogsTheNewestContext) {
  FakeHostContext first("first");
  FakeHostContext second("second");
  context_ = &first;
  rtl::TCustomForm* dialog1 = NewDialog();
  context_ = &second;
  rtl::TCustomForm* dialog2 = NewDialog();
  ASSERT_TRUE(dialog1 != nullptr && dialog2 != nullptr);
  Show(*dialog1, Fill("wrong", "n", "n", {Click("btnOK")}));
  Show(*dialog2, Fill("wrong", "n", "n", {Click("btnOK")}));
  EXPECT_EQ(second.openSql.size(), 2u) << "expected both queries through the second context";
  EXPECT_TRUE(first.openSql.empty() && first.encodeInputs.empty() && first.prompt->texts.empty())
      << "expected the first context unused";
  FreeDialog(dialog1);
  FreeDialog(dialog2);
}

}  // namespace
}  // namespace velmora::test
