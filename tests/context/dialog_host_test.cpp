// The change-password dialog against a fake host context: the exact SQL it
// hands the host, and what it does when the host fails at each step.
#include <functional>

#include "tests/context/FakeHostContext.h"
#include "tests/context/ModuleFixture.h"

namespace velmora::test {
namespace {

using PasswordDialogWithFakeHost = ContextModuleTest;

struct SqlCase {
  const char* name;
  rtl::AnsiString userCode;  // GBK
  rtl::WideString select;
  rtl::WideString update;
};

class SqlTexts : public PasswordDialogWithFakeHost, public ::testing::WithParamInterface<SqlCase> {};

TEST_P(SqlTexts, QuoteUserCodeAndEncodedPasswordLetterForLetter) {
  const SqlCase& c = GetParam();
  FakeHostContext context(c.userCode);
  context.encode = [](const rtl::AnsiString& p) { return "密'" + p; };
  context.StorePassword("old");
  const DialogRun run = RunDialog(context, Fill("old", "new", "new", {Click("btnOK")}));
  EXPECT_EQ(run.result, kModalOk) << "expected modal result 1, got " << run.result;
  const std::vector<rtl::WideString> select{c.select}, update{c.update};
  EXPECT_EQ(context.openSql, select) << ExpectedGot(select, context.openSql);
  EXPECT_EQ(context.execSql, update) << ExpectedGot(update, context.execSql);
}

INSTANTIATE_TEST_SUITE_P(
    UserCodes, SqlTexts,
    ::testing::Values(
        SqlCase{"Plain", "demo", u"Select PassWord From P_User Where UserCode = 'demo'",
                u"UpDate P_User Set PassWord = '密''new' Where UserCode = 'demo'"},
        SqlCase{"SingleQuote", "o'neil", u"Select PassWord From P_User Where UserCode = 'o''neil'",
                u"UpDate P_User Set PassWord = '密''new' Where UserCode = 'o''neil'"},
        SqlCase{"OnlyQuotes", "''", u"Select PassWord From P_User Where UserCode = ''''''",
                u"UpDate P_User Set PassWord = '密''new' Where UserCode = ''''''"},
        SqlCase{"ChineseCharacters", "张三", u"Select PassWord From P_User Where UserCode = '张三'",
                u"UpDate P_User Set PassWord = '密''new' Where UserCode = '张三'"},
        SqlCase{"Blanks", " a b ", u"Select PassWord From P_User Where UserCode = ' a b '",
                u"UpDate P_User Set PassWord = '密''new' Where UserCode = ' a b '"}),
    CaseName());

void ExpectOpenAndUnchanged(const DialogRun& run, const std::map<std::string, rtl::AnsiString>& edits) {
  ASSERT_TRUE(run.stillOpen.has_value()) << "expected the dialog open, got it ended with " << run.result;
  EXPECT_EQ(run.stillOpen->modalResult, 0) << "expected no modal result, got " << run.stillOpen->modalResult;
  EXPECT_EQ(run.stillOpen->edits, edits) << ExpectedGot(edits, run.stillOpen->edits);
}

class MalformedUserCode : public PasswordDialogWithFakeHost, public ::testing::WithParamInterface<const char*> {};

TEST_P(MalformedUserCode, NeverReachesTheHostAsSql) {
  FakeHostContext context(GetParam());
  context.StorePassword("old");
  const DialogRun run = RunDialog(context, Fill("old", "new", "new", {Click("btnOK")}));
  EXPECT_TRUE(context.openSql.empty() && context.execSql.empty())
      << "expected no SQL, got " << context.openSql.size() << " queries and " << context.execSql.size()
      << " statements";
  const std::vector<rtl::TMsgKind> error{rtl::TMsgKind::Error};
  EXPECT_EQ(run.kinds, error) << "expected one error box, got " << Readable(run.kinds) << " " << Readable(run.messages);
  ExpectOpenAndUnchanged(run, Edits("old", "new", "new"));
}

INSTANTIATE_TEST_SUITE_P(Bytes, MalformedUserCode, ::testing::Values("\x81", "\x81'", "ab\xff", "\x81' OR '1'='1"));

struct FailureCase {
  const char* name;
  std::function<void(FakeHostContext&)> arrange;
  std::vector<rtl::AnsiString> messages;        // shown to the user, in order
  std::vector<rtl::TMsgKind> kinds;
  std::size_t statements;                       // ExecSQL calls
};

class HostFailure : public PasswordDialogWithFakeHost, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(HostFailure, IsReportedAndLeavesTheDialogOpenAsTyped) {
  const FailureCase& c = GetParam();
  FakeHostContext context("demo");
  context.StorePassword("old");
  c.arrange(context);
  const DialogRun run = RunDialog(context, Fill("old", "new", "new", {Click("btnOK")}));
  EXPECT_EQ(run.messages, c.messages) << ExpectedGot(c.messages, run.messages);
  EXPECT_EQ(run.kinds, c.kinds) << "expected " << Readable(c.kinds) << ", got " << Readable(run.kinds);
  EXPECT_EQ(context.execSql.size(), c.statements)
      << "expected " << c.statements << " ExecSQL calls, got " << context.execSql.size();
  ExpectOpenAndUnchanged(run, Edits("old", "new", "new"));
}

using K = rtl::TMsgKind;

INSTANTIATE_TEST_SUITE_P(
    Steps, HostFailure,
    ::testing::Values(
        FailureCase{"EncodingOldPasswordFails", [](FakeHostContext& h) { h.failEncodeCall = 1; },
                    {FakeHostContext::kEncodeFailure}, {K::Error}, 0},
        FailureCase{"QueryFails", [](FakeHostContext& h) { h.failOpen = true; }, {FakeHostContext::kOpenFailure},
                    {K::Error}, 0},
        FailureCase{"QueryAnswersNull", [](FakeHostContext& h) { h.queryAnswer = rtl::Variant::Null(); },
                    {"Could not convert variant of type (Null) into type (String)"}, {K::Error}, 0},
        FailureCase{"EncodingNewPasswordFails", [](FakeHostContext& h) { h.failEncodeCall = 2; },
                    {kPasswordNotChanged}, {K::Information}, 0},
        FailureCase{"EncodedNewPasswordIsNotGbk",
                    [](FakeHostContext& h) {
                      h.encode = [](const rtl::AnsiString& p) { return p == "new" ? rtl::AnsiString("\x81") : p; };
                      h.StorePassword("old");
                    },
                    {kPasswordNotChanged}, {K::Information}, 0},
        FailureCase{"UpdateFails", [](FakeHostContext& h) { h.failExec = true; }, {kPasswordNotChanged},
                    {K::Information}, 1},
        FailureCase{"SuccessPromptFails",
                    [](FakeHostContext& h) {
                      h.prompt->failWhen = [](const rtl::AnsiString& text) { return text == kPasswordChanged; };
                    },
                    {kPasswordNotChanged}, {K::Information}, 1},
        FailureCase{"PromptFailsForEveryText",
                    [](FakeHostContext& h) {
                      h.StorePassword("other");
                      h.prompt->failWhen = [](const rtl::AnsiString&) { return true; };
                    },
                    {FakePrompt::kFailure}, {K::Error}, 0}),
    CaseName());

struct AnswerCase {
  const char* name;
  rtl::Variant answer;
  rtl::AnsiString oldPass;
  const char* message;
};

class StoredPasswordComparison : public PasswordDialogWithFakeHost,
                                 public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(StoredPasswordComparison, ComparesTheAnswersTextByteForByte) {
  const AnswerCase& c = GetParam();
  FakeHostContext context("demo");
  context.encode = [](const rtl::AnsiString& p) { return p; };
  context.queryAnswer = c.answer;
  const DialogRun run = RunDialog(context, Fill(c.oldPass, "new", "new", {Click("btnOK")}));
  const std::vector<rtl::AnsiString> expected{c.message};
  EXPECT_EQ(run.messages, expected) << ExpectedGot(expected, run.messages);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, StoredPasswordComparison,
    ::testing::Values(AnswerCase{"NumberAsDecimalText", rtl::Variant(std::int32_t{42}), "42", kPasswordChanged},
                      AnswerCase{"NumberIsNotPadded", rtl::Variant(std::int32_t{42}), "042", kOldPasswordWrong},
                      AnswerCase{"WideText", rtl::Variant(rtl::WideString(u"密码")), "密码", kPasswordChanged},
                      AnswerCase{"LetterCaseCounts", rtl::Variant("ABC"), "abc", kOldPasswordWrong},
                      AnswerCase{"LengthCounts", rtl::Variant("abc "), "abc", kOldPasswordWrong},
                      AnswerCase{"EmptyStoredMatchesEmptyTyped", rtl::Variant(""), "", kPasswordChanged}),
    CaseName());

}  // namespace
}  // namespace velmora::test
