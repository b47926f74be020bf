// The hashed change-password dialog against fake host servers: the exact
// texts it hands them and how, what it checks before any SQL, and what it
// does when a server fails or answers something unexpected.
#include <functional>

#include "runtime/controls/Keys.h"
#include "runtime/except/Exceptions.h"
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

  void ExpectNoSql() {
    EXPECT_TRUE(servers_.queries.empty() && servers_.statements.empty())
        << "expected no SQL, got " << servers_.queries.size() << " queries and " << servers_.statements.size()
        << " statements";
  }

  FakeServers servers_;
};

rtl::WideString Wide(const char* ascii) {
  return rtl::WideString(ascii, ascii + std::char_traits<char>::length(ascii));
}

struct SqlCase {
  const char* name;
  rtl::Variant userId;
  rtl::WideString code;  // as it must appear between the quotes
};
void PrintTo(const SqlCase& c, std::ostream* os) { *os << c.name; }

class SqlTexts : public DialogWithFakeServers, public ::testing::WithParamInterface<SqlCase> {};

TEST_P(SqlTexts, QueryAndUpdateCarryTheQuotedUserCodeLetterForLetter) {
  servers_.userId = GetParam().userId;
  const DialogRun run = RunDialog(FillIn("old", "new", "new", {Click("BtnModify")}));
  const rtl::WideString& code = GetParam().code;
  const std::vector<rtl::WideString> query{u"select password from P_User Where UserCode = '" + code + u"'"};
  const std::vector<rtl::WideString> update{u"Update P_User Set PassWord ='" + Wide(kMd5New) + u"' Where UserCode = '" +
                                            code + u"'"};
  EXPECT_EQ(servers_.queries, query) << ExpectedGot(query, servers_.queries);
  EXPECT_EQ(servers_.statements, update) << ExpectedGot(update, servers_.statements);
  const std::vector<rtl::AnsiString> changed{kPasswordChanged};
  EXPECT_EQ(run.messages, changed) << ExpectedGot(changed, run.messages);
}

INSTANTIATE_TEST_SUITE_P(UserIds, SqlTexts,
                         ::testing::Values(SqlCase{"AutomationString", rtl::Variant(u"demo"), u"demo"},
                                           SqlCase{"EightBitString", rtl::Variant("demo"), u"demo"},
                                           SqlCase{"QuoteInAutomationString", rtl::Variant(u"o'neil"), u"o''neil"},
                                           SqlCase{"QuoteInEightBitString", rtl::Variant("o'neil"), u"o''neil"},
                                           SqlCase{"OnlyQuotes", rtl::Variant(u"''"), u"''''"},
                                           SqlCase{"InjectionAttempt", rtl::Variant(u"x' OR '1'='1"),
                                                   u"x'' OR ''1''=''1"},
                                           SqlCase{"ChineseAutomationString", rtl::Variant(u"张三"), u"张三"},
                                           SqlCase{"ChineseEightBitString", rtl::Variant("张三"), u"张三"}),
                         CaseName());

TEST_F(DialogWithFakeServers, MessagesGoByValueAndSqlByReference) {
  const DialogRun run =
      RunDialog(FillIn("wrong", "new", "new",
                       {Click("BtnModify"), Click("EdtOldPass"), Key(rtl::VK_BACK), Key(rtl::VK_BACK),
                        Key(rtl::VK_BACK), Key(rtl::VK_BACK), Key(rtl::VK_BACK), Type("old"), Click("BtnModify")}));
  const std::vector<rtl::AnsiString> expected{kOldPasswordWrong, kPasswordChanged};
  ASSERT_EQ(run.messages, expected) << ExpectedGot(expected, run.messages);
  const std::vector<rtl::TMsgKind> kinds{rtl::TMsgKind::Warning, rtl::TMsgKind::Information};
  EXPECT_EQ(run.kinds, kinds) << "expected a warning then an information, got " << Readable(run.kinds);

  struct Passing {
    const char* member;
    rtl::VarType argument;
  };
  for (const Passing& p : {Passing{"alert", rtl::VarType::OleStr}, Passing{"prompt", rtl::VarType::OleStr},
                           Passing{"Opensql", rtl::VarType::ByRef}, Passing{"Execsql", rtl::VarType::ByRef}}) {
    SCOPED_TRACE(p.member);
    const std::vector<ServerCall> calls = servers_.CallsOf(p.member);
    ASSERT_FALSE(calls.empty()) << "expected a call of " << p.member << ", got none";
    for (const ServerCall& call : calls) {
      EXPECT_EQ(call.argumentType, p.argument) << "expected the argument as " << rtl::Variant::TypeName(p.argument)
                                               << ", got " << rtl::Variant::TypeName(call.argumentType);
      EXPECT_EQ(call.targetType, rtl::VarType::OleStr)
          << "expected an automation string, got " << rtl::Variant::TypeName(call.targetType);
    }
  }
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
  const DialogRun run = RunDialog(FillIn(c.oldPass, c.newPass, c.confirmPass, {Click("BtnModify")}));
  const std::vector<rtl::AnsiString> expected{c.message};
  EXPECT_EQ(run.messages, expected) << ExpectedGot(expected, run.messages);
  const std::vector<rtl::TMsgKind> warning{rtl::TMsgKind::Warning};
  EXPECT_EQ(run.kinds, warning) << "expected one warning, got " << Readable(run.kinds);
  ExpectOpenUntouched(run, EditTexts(c.oldPass, c.newPass, c.confirmPass));
  if (run.stillOpen) {
    EXPECT_EQ(run.stillOpen->focused, c.focusAfter)
        << "expected focus in " << c.focusAfter << ", got " << run.stillOpen->focused;
  }
  ExpectNoSql();
}

INSTANTIATE_TEST_SUITE_P(
    Entries, RejectedEntries,
    ::testing::Values(RejectCase{"EmptyOld", "", "new", "new", kOldPasswordEmpty, "EdtOldPass"},
                      RejectCase{"BlanksOnlyOld", "   ", "new", "new", kOldPasswordEmpty, "EdtOldPass"},
                      RejectCase{"AllEmptyReportsTheOldFirst", "", "", "", kOldPasswordEmpty, "EdtOldPass"},
                      RejectCase{"BlanksOnlyNew", "old", "   ", "   ", kNewPasswordEmpty, "EdtNewPass"},
                      RejectCase{"EmptyNewWithConfirmation", "old", "", "new", kNewPasswordEmpty, "EdtNewPass"},
                      RejectCase{"EmptyConfirmation", "old", "new", "", kNewPasswordEmpty, "EdtNewPass1"},
                      RejectCase{"BlanksOnlyConfirmation", "old", "new", "  ", kNewPasswordEmpty, "EdtNewPass1"},
                      RejectCase{"LetterCaseOnlyDifference", "old", "New", "new", kNewPasswordsDiffer, "EdtNewPass"},
                      RejectCase{"InnerBlankDifference", "old", "ne w", "new", kNewPasswordsDiffer, "EdtNewPass"}),
    CaseName());

TEST_F(DialogWithFakeServers, BlanksAroundNewAndConfirmationDoNotMakeThemDiffer) {
  const DialogRun run = RunDialog(FillIn("old", " new", "new  ", {Click("BtnModify")}));
  const std::vector<rtl::AnsiString> changed{kPasswordChanged};
  EXPECT_EQ(run.messages, changed) << ExpectedGot(changed, run.messages);
  ASSERT_EQ(servers_.statements.size(), 1u) << "expected 1 update, got " << servers_.statements.size();
  EXPECT_NE(servers_.statements[0].find(Wide(kMd5New)), rtl::WideString::npos)
      << "expected the digest of the trimmed text, got " << Readable(servers_.statements[0]);
}

TEST_F(DialogWithFakeServers, EnterWalksOldNewConfirmationModifyWithoutChanging) {
  const DialogRun run =
      RunDialog({ExpectFocus("EdtOldPass"), Type("old"), Enter(), ExpectFocus("EdtNewPass"), Type("new"), Enter(),
                 ExpectFocus("EdtNewPass1"), Type("new"), Enter(), ExpectFocus("BtnModify")});
  EXPECT_TRUE(run.messages.empty()) << ExpectedGot(std::vector<rtl::AnsiString>{}, run.messages);
  ExpectOpenUntouched(run, EditTexts("old", "new", "new"));
  ExpectNoSql();
}

TEST_F(DialogWithFakeServers, CancelClosesKeepingFormCountAndLabel) {
  rtl::TCustomForm* form = NewDialog();
  ASSERT_NE(form, nullptr);
  const DialogRun run = Show(*form, FillIn("wrong", "new", "new", {Click("BtnModify"), Click("BtnCancel")}));
  EXPECT_EQ(run.result, kModalClosed) << "expected modal result 2, got " << run.result;
  EXPECT_FALSE(run.stillOpen.has_value()) << "expected the dialog closed, got it open";
  const std::vector<rtl::AnsiString> wrong{kOldPasswordWrong};
  EXPECT_EQ(run.messages, wrong) << ExpectedGot(wrong, run.messages);
  EXPECT_TRUE(rtl::Application->Owns(form)) << "expected the closed dialog alive until FreeModule, got it destroyed";
  EXPECT_EQ(run.label6, WrongCountText(1)) << "expected Label6 kept, got " << Readable(run.label6);
  EXPECT_EQ(run.errorCount, 1) << "expected ErrorCount kept at 1, got " << run.errorCount;
  EXPECT_TRUE(servers_.statements.empty()) << "expected no update, got " << servers_.statements.size();
  FreeDialog(form);
}

struct ReadFailureCase {
  const char* name;
  std::function<void(FakeServers&)> arrange;
  std::size_t queries;  // Opensql calls the click makes
};
void PrintTo(const ReadFailureCase& c, std::ostream* os) { *os << c.name; }

class ReadFailure : public DialogWithFakeServers, public ::testing::WithParamInterface<ReadFailureCase> {};

TEST_P(ReadFailure, GoesToDefaultHandlingCountingNothingAndWritingNothing) {
  GetParam().arrange(servers_);
  const DialogRun run = RunDialog(FillIn("old", "new", "new", {Click("BtnModify")}));
  const std::vector<rtl::TMsgKind> error{rtl::TMsgKind::Error};
  EXPECT_EQ(run.kinds, error) << "expected one error box, got " << Readable(run.kinds) << " " << Readable(run.messages);
  EXPECT_TRUE(servers_.CallsOf("alert").empty())
      << "expected no message of the dialog's own, got " << servers_.CallsOf("alert").size();
  EXPECT_EQ(servers_.queries.size(), GetParam().queries)
      << "expected " << GetParam().queries << " queries, got " << servers_.queries.size();
  EXPECT_TRUE(servers_.statements.empty()) << "expected no update, got " << servers_.statements.size();
  ExpectOpenUntouched(run, EditTexts("old", "new", "new"));
}

rtl::Variant PacketWithoutPasswordField() {
  rtl::DataPacket packet;
  packet.AddField("pwd", rtl::ftString);
  packet.AppendRow({rtl::Variant(kMd5Old)});
  return PacketOf(packet);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ReadFailure,
    ::testing::Values(
        ReadFailureCase{"OpensqlRaises",
                        [](FakeServers& s) {
                          s.answer = [](const rtl::WideString&) -> rtl::Variant {
                            throw rtl::Exception(FakeServers::kOpenFailure);
                          };
                        },
                        1},
        ReadFailureCase{
            "PacketWithoutPasswordField",
            [](FakeServers& s) { s.answer = [](const rtl::WideString&) { return PacketWithoutPasswordField(); }; }, 1},
        ReadFailureCase{"TextInsteadOfPacket",
                        [](FakeServers& s) { s.answer = [](const rtl::WideString&) { return rtl::Variant(kMd5Old); }; },
                        1},
        ReadFailureCase{"EmptyResult",
                        [](FakeServers& s) { s.answer = [](const rtl::WideString&) { return rtl::Variant(); }; }, 1},
        ReadFailureCase{"MalformedPacketBytes",
                        [](FakeServers& s) {
                          s.answer = [](const rtl::WideString&) { return rtl::Variant(rtl::ByteArray{'V', 'D', 'P'}); };
                        },
                        1},
        ReadFailureCase{"UserIdFailsOnModify", [](FakeServers& s) { s.failUserIdCall = 2; }, 0}),
    CaseName());

struct UnusableIdCase {
  const char* name;
  rtl::Variant userId;
};
void PrintTo(const UnusableIdCase& c, std::ostream* os) { *os << c.name; }

class UnusableUserId : public DialogWithFakeServers, public ::testing::WithParamInterface<UnusableIdCase> {};

TEST_P(UnusableUserId, NeverReachesTheServerAsSql) {
  servers_.userId = GetParam().userId;
  const DialogRun run = RunDialog(FillIn("old", "new", "new", {Click("BtnModify")}));
  ExpectNoSql();
  const std::vector<rtl::TMsgKind> error{rtl::TMsgKind::Error};
  EXPECT_EQ(run.kinds, error) << "expected one error box, got " << Readable(run.kinds) << " " << Readable(run.messages);
  ExpectOpenUntouched(run, EditTexts("old", "new", "new"));
}

INSTANTIATE_TEST_SUITE_P(UserIds, UnusableUserId,
                         ::testing::Values(UnusableIdCase{"MalformedLeadByte", rtl::Variant("\x81")},
                                           UnusableIdCase{"MalformedLeadByteBeforeQuote", rtl::Variant("\x81'")},
                                           UnusableIdCase{"MalformedTrailingByte", rtl::Variant("ab\xff")},
                                           UnusableIdCase{"MalformedInjection", rtl::Variant("\x81' OR '1'='1")},
                                           UnusableIdCase{"Integer", rtl::Variant(std::int32_t{42})},
                                           UnusableIdCase{"Boolean", rtl::Variant(true)}),
                         CaseName());

TEST_F(DialogWithFakeServers, FailingUpdateWarnsAndKeepsTheDialogAsItWas) {
  servers_.failExec = true;
  const DialogRun run = RunDialog(FillIn("old", "new", "new", {Click("BtnModify")}));
  const std::vector<rtl::AnsiString> failed{kChangeFailed};
  EXPECT_EQ(run.messages, failed) << ExpectedGot(failed, run.messages);
  EXPECT_EQ(run.kinds, std::vector<rtl::TMsgKind>{rtl::TMsgKind::Warning})
      << "expected one warning, got " << Readable(run.kinds);
  EXPECT_EQ(servers_.statements.size(), 1u) << "expected 1 update tried, got " << servers_.statements.size();
  EXPECT_TRUE(servers_.CallsOf("prompt").empty()) << "expected no success prompt, got one";
  ExpectOpenUntouched(run, EditTexts("old", "new", "new"));
}

TEST_F(DialogWithFakeServers, FailingSuccessPromptWarnsAfterTheDigestWasStored) {
  servers_.failPrompt = true;
  const DialogRun run = RunDialog(FillIn("old", "new", "new", {Click("BtnModify")}));
  const std::vector<rtl::AnsiString> failed{kChangeFailed};
  EXPECT_EQ(run.messages, failed) << ExpectedGot(failed, run.messages);
  const std::vector<rtl::WideString> update{u"Update P_User Set PassWord ='" + Wide(kMd5New) +
                                            u"' Where UserCode = 'demo'"};
  EXPECT_EQ(servers_.statements, update) << ExpectedGot(update, servers_.statements);
  EXPECT_EQ(servers_.CallsOf("prompt").size(), 1u)
      << "expected the success prompt tried once, got " << servers_.CallsOf("prompt").size();
  ExpectOpenUntouched(run, EditTexts("old", "new", "new"));
}

}  // namespace
}  // namespace velmora::test
