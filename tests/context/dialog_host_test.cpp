// The change-password dialog against a fake host context: the exact SQL it
// hands the host, how it compares what the host answers, and the context
// each CreateModule brings. Failing hosts: tests/inject.
#include "tests/context/ContextFixture.h"

namespace velmora::test {
namespace {

using PasswordDialogWithFakeHost = ContextModuleTest;

struct QuotingCase {
  const char* name;
  rtl::AnsiString userCode;  // GBK
  rtl::WideString quoted;    // as it must appear between the quotes
};

void PrintTo(const QuotingCase& c, std::ostream* os) { *os << c.name; }

class SqlTexts : public ContextModuleTest, public ::testing::WithParamInterface<QuotingCase> {};

TEST_P(SqlTexts, QuoteEveryValueLetterForLetter) {
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
                         ::testing::Values(QuotingCase{"Apostrophe", "o'neil", u"o''neil"},
                                           QuotingCase{"ApostrophesOnly", "''", u"''''"},
                                           QuotingCase{"Chinese", "张三", u"张三"},
                                           QuotingCase{"BlanksAround", " a b ", u" a b "}),
                         CaseName());

struct AnswerCase {
  const char* name;
  rtl::Variant answer;  // what OpenSQL answers
  rtl::AnsiString typed;
  const char* message;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class StoredPassword : public ContextModuleTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(StoredPassword, IsComparedAsTextByteForByte) {
  FakeHostContext context("demo");
  context.encode = [](const rtl::AnsiString& p) { return p; };
  context.queryAnswer = GetParam().answer;
  EXPECT_TRUE(Shows(RunWith(context, Fill(GetParam().typed, "new", "new", {Click("btnOK")})), {GetParam().message}));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, StoredPassword,
    ::testing::Values(AnswerCase{"Integer", rtl::Variant(std::int32_t{42}), "42", kPasswordChanged},
                      AnswerCase{"WideText", rtl::Variant(rtl::WideString(u"密码")), "密码", kPasswordChanged},
                      AnswerCase{"OtherLetterCase", rtl::Variant("ABC"), "abc", kOldPasswordWrong}),
    CaseName());

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

struct NullOutCase {
  const char* name;
  bool nullForm;  // else the display kind's address is null
};

void PrintTo(const NullOutCase& c, std::ostream* os) { *os << c.name; }

class CreateModuleWithANullAddress : public ContextModuleTest, public ::testing::WithParamInterface<NullOutCase> {};

// The context is stored before anything is checked, so even a call that
// fails on its out-addresses hands every dialog the new context.
TEST_P(CreateModuleWithANullAddress, StillHandsDialogsTheNewContext) {
  FakeHostContext first("first");
  FakeHostContext second("second");
  context_ = &first;
  rtl::TCustomForm* dialog = NewDialog();
  ASSERT_NE(dialog, nullptr);
  context_ = &second;
  rtl::TCustomForm* form = nullptr;
  std::int32_t kind = 0;
  EXPECT_EQ(CreateModule(GetParam().nullForm ? nullptr : &form, GetParam().nullForm ? &kind : nullptr),
            static_cast<std::int32_t>(0x80004003u))
      << "expected E_POINTER";
  Show(*dialog, Fill("wrong", "n", "n", {Click("btnOK")}));
  EXPECT_EQ(second.openSql.size(), 1u) << "expected the query through the new context";
  EXPECT_TRUE(first.openSql.empty()) << "expected the old context unused";
  FreeDialog(dialog);
}

INSTANTIATE_TEST_SUITE_P(OutAddresses, CreateModuleWithANullAddress,
                         ::testing::Values(NullOutCase{"Form", true}, NullOutCase{"DisplayKind", false}), CaseName());

}  // namespace
}  // namespace velmora::test
