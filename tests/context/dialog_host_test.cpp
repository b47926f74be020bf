// The change-password dialog against a fake host context: the exact SQL it
// hands the host, what it does when the host fails at each step, and the
// context each CreateModule brings.
#include <functional>

#include "runtime/text/Gbk.h"
#include "tests/context/ContextFixture.h"

namespace velmora::test {
namespace {

using PasswordDialogWithFakeHost = ContextModuleTest;

struct SqlCase {
  const char* name;
  rtl::AnsiString userCode;  // GBK
  rtl::WideString quoted;    // as it must appear between the quotes
};
void PrintTo(const SqlCase& c, std::ostream* os) { *os << c.name; }

class SqlTexts : public PasswordDialogWithFakeHost, public ::testing::WithParamInterface<SqlCase> {};

TEST_P(SqlTexts, QuoteUserCodeAndEncodedPasswordLetterForLetter) {
  FakeHostContext context(GetParam().userCode);
  context.encode = [](const rtl::AnsiString& p) { return "密'" + p; };
  context.StorePassword("old");
  const DialogRun run = RunWith(context, Fill("old", "new", "new", {Click("btnOK")}));
  EXPECT_EQ(run.result, kModalOk);
  const rtl::WideString code = u"'" + GetParam().quoted + u"'";
  const std::vector<rtl::WideString> select{u"Select PassWord From P_User Where UserCode = " + code};
  const std::vector<rtl::WideString> update{u"UpDate P_User Set PassWord = '密''new' Where UserCode = " + code};
  EXPECT_EQ(context.openSql, select) << ExpectedGot(select, context.openSql);
  EXPECT_EQ(context.execSql, update) << ExpectedGot(update, context.execSql);
}

INSTANTIATE_TEST_SUITE_P(UserCodes, SqlTexts,
                         ::testing::Values(SqlCase{"SingleQuote", "o'neil", u"o''neil"},
                                           SqlCase{"OnlyQuotes", "''", u"''''"},
                                           SqlCase{"ChineseCharacters", "张三", u"张三"},
                                           SqlCase{"BlanksKept", " a b ", u" a b "}),
                         CaseName());

class MalformedUserCode : public PasswordDialogWithFakeHost, public ::testing::WithParamInterface<const char*> {};

TEST_P(MalformedUserCode, NeverReachesTheHostAsSqlAndThePersonIsToldInChinese) {
  FakeHostContext context(GetParam());
  context.StorePassword("old");
  const DialogRun run = RunWith(context, Fill("old", "new", "new", {Click("btnOK")}));
  EXPECT_TRUE(context.openSql.empty() && context.execSql.empty()) << "expected no SQL";
  EXPECT_TRUE(Shows(run, {kUnreadableText}));
  EXPECT_TRUE(ShowsKinds(run, {rtl::TMsgKind::Error}));
  EXPECT_TRUE(OpenWith(run, Edits("old", "new", "new")));
}

INSTANTIATE_TEST_SUITE_P(Bytes, MalformedUserCode, ::testing::Values("\x81'", "ab\xff"));

using K = rtl::TMsgKind;

struct FailureCase {
  const char* name;
  std::function<void(FakeHostContext&)> arrange;
  rtl::AnsiString message;  // shown to the user
  K kind;
  std::size_t statements;  // ExecSQL calls
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class HostFailure : public PasswordDialogWithFakeHost, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(HostFailure, IsReportedAndLeavesTheDialogOpenAsTyped) {
  const FailureCase& c = GetParam();
  FakeHostContext context("demo");
  context.StorePassword("old");
  c.arrange(context);
  const DialogRun run = RunWith(context, Fill("old", "new", "new", {Click("btnOK")}));
  EXPECT_TRUE(Shows(run, {c.message}));
  EXPECT_TRUE(ShowsKinds(run, {c.kind}));
  EXPECT_EQ(context.execSql.size(), c.statements);
  EXPECT_TRUE(OpenWith(run, Edits("old", "new", "new")));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, HostFailure,
    ::testing::Values(FailureCase{"EncodingOldPasswordFails", [](FakeHostContext& h) { h.failEncodeCall = 1; },
                                  FakeHostContext::kEncodeFailure, K::Error, 0},
                      FailureCase{"QueryFails", [](FakeHostContext& h) { h.failOpen = true; },
                                  FakeHostContext::kOpenFailure, K::Error, 0},
                      FailureCase{"QueryAnswersNull", [](FakeHostContext& h) { h.queryAnswer = rtl::Variant::Null(); },
                                  "数据类型不符，无法处理。", K::Error, 0},
                      FailureCase{"EncodingNewPasswordFails", [](FakeHostContext& h) { h.failEncodeCall = 2; },
                                  kPasswordNotChanged, K::Information, 0},
                      FailureCase{"EncodedNewPasswordIsNotGbk",
                                  [](FakeHostContext& h) {
                                    h.encode = [](const rtl::AnsiString& p) {
                                      return p == "new" ? rtl::AnsiString("\x81") : p;
                                    };
                                    h.StorePassword("old");
                                  },
                                  kPasswordNotChanged, K::Information, 0},
                      FailureCase{"UpdateFails", [](FakeHostContext& h) { h.failExec = true; }, kPasswordNotChanged,
                                  K::Information, 1},
                      FailureCase{"PromptFailsForEveryText",
                                  [](FakeHostContext& h) {
                                    h.StorePassword("other");
                                    h.prompt->failWhen = [](const rtl::AnsiString&) { return true; };
                                  },
                                  FakePrompt::kFailure, K::Error, 0}),
    CaseName());

// Once ExecSQL has succeeded the row is rewritten: a failing success prompt
// goes to the runtime's default handling and the dialog still ends with OK.
TEST_F(PasswordDialogWithFakeHost, SuccessPromptFailingAfterTheUpdateStillEndsWithOk) {
  FakeHostContext context("demo");
  context.StorePassword("old");
  context.prompt->failWhen = [](const rtl::AnsiString& text) { return text == kPasswordChanged; };
  ::testing::internal::CaptureStderr();
  const DialogRun run = RunWith(context, Fill("old", "new", "new", {Click("btnOK")}));
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find(rtl::GbkToUtf8(FakePrompt::kFailure)), std::string::npos)
      << "expected the prompt's failure on standard error, got " << err;
  EXPECT_EQ(run.result, kModalOk);
  EXPECT_EQ(context.execSql.size(), 1u);
  const std::vector<rtl::AnsiString> prompts{kPasswordChanged};
  EXPECT_EQ(context.prompt->texts, prompts) << ExpectedGot(prompts, context.prompt->texts);
  EXPECT_TRUE(ShowsKinds(run, {K::Error})) << "expected the prompt's failure, not the change's";
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
