// Both editions' dialogs over each ODBC data source: PostgreSQL, and SQLite
// through its own ODBC driver, so that nothing one driver happens to allow
// creeps into the host. In this process through the host's pieces, and as
// the velmora-host program with --odbc; a database the host did not create
// is checked, never reshaped.
#include <tuple>

#include "tests/odbc/DataSource.h"
#include "tests/odbc/HostRuns.h"

namespace velmora::test {
namespace {

#ifdef _WIN32
// The Windows host reaches the machine's own drivers through Wine; the
// SQLite file the test makes is a Windows path the native driver cannot open.
const auto kSources = ::testing::Values(SourceKind::PostgreSql);
#else
const auto kSources = ::testing::Values(SourceKind::PostgreSql, SourceKind::SqliteOdbc);
#endif

template <class Case>
std::string RowName(const ::testing::TestParamInfo<std::tuple<SourceKind, Case>>& info) {
  return std::string(NameOf(std::get<0>(info.param))) + "_" + std::get<1>(info.param).name;
}

// Rows a condition that is not the user's alone would also reach.
void AddBystanders(DataSource& source) {
  source.AddUser("x", StoredFormOf(Edition::Context, "old"));
  source.AddUser("other", StoredFormOf(Edition::Automation, "old"));
  source.Admin().Execute("INSERT INTO P_FunRight (UserCode, ModFunTyp, ModFunID) VALUES ('x', 3, 101)");
}

class OdbcSource : public ::testing::TestWithParam<SourceKind> {
 protected:
  void SetUp() override { source_ = DataSource::Make(GetParam()); }
  std::unique_ptr<DataSource> source_;
};

INSTANTIATE_TEST_SUITE_P(Sources, OdbcSource, kSources,
                         [](const ::testing::TestParamInfo<SourceKind>& row) { return NameOf(row.param); });

struct DialogCase {
  const char* name;
  Edition edition;
  std::string user;
  std::optional<std::string> stored;  // the user's PassWord before
  rtl::AnsiString oldPass, newPass, confirmPass;
  std::vector<const char*> shown;  // messages (GBK), in order
  host::Outcome outcome;
  bool cancel = false;  // the cancel button instead of OK
};
void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.name; }

const Edition kContext = Edition::Context, kAutomation = Edition::Automation;
const host::Outcome kChanged = host::Outcome::Changed, kCancelled = host::Outcome::Cancelled,
                    kFailed = host::Outcome::Failed;  // a mistake leaves the dialog open until the steps run out

class OdbcDialog : public ::testing::TestWithParam<std::tuple<SourceKind, DialogCase>> {
 protected:
  void SetUp() override {
    source_ = DataSource::Make(std::get<0>(GetParam()));
    AddBystanders(*source_);
  }
  std::unique_ptr<DataSource> source_;
};

TEST_P(OdbcDialog, EndsWithItsOutcome) {
  const DialogCase& c = std::get<1>(GetParam());
  source_->AddUser(c.user, c.stored);
  if (c.edition == Edition::Context) {
    // The rights go to the module as integers, from text the driver answers.
    source_->Admin().Execute("INSERT INTO P_FunRight (UserCode, ModFunTyp, ModFunID) VALUES (?, 3, 7)", {c.user});
  }
  const DatabaseState before = source_->State();
  std::vector<Step> steps = ChangeSteps(c.edition, c.oldPass, c.newPass, c.confirmPass);
  if (c.cancel) steps.back() = Click(TextsOf(c.edition).cancel);

  const InProcessRun run = RunInProcess(c.edition, source_->ConnectionString(), c.user, std::move(steps));

  ASSERT_TRUE(run.outcome.has_value()) << run.hostError;
  EXPECT_EQ(*run.outcome, c.outcome);
  std::vector<rtl::AnsiString> shown(c.shown.begin(), c.shown.end());
  EXPECT_EQ(run.Texts(), shown) << ExpectedGot(shown, run.Texts());
  EXPECT_EQ(run.stillOpen.has_value(), c.outcome == kFailed);
  const DatabaseState expected =
      c.outcome == kChanged ? WithPassword(before, c.user, StoredFormOf(c.edition, c.newPass)) : before;
  EXPECT_TRUE(SameState(expected, source_->State()));
}

const std::string kEncodedOld = StoredFormOf(kContext, "old");
const std::string kDigestOld = StoredFormOf(kAutomation, "old");

INSTANTIATE_TEST_SUITE_P(
    Editions, OdbcDialog,
    ::testing::Combine(
        kSources,
        ::testing::Values(
            DialogCase{"ContextChangesToChinese",
                       kContext,
                       "ctx",
                       kEncodedOld,
                       "old",
                       "新密码",
                       "新密码",
                       {TextsOf(kContext).changed},
                       kChanged},
            DialogCase{"ContextChangesToEmpty",
                       kContext,
                       "ctx",
                       kEncodedOld,
                       "old",
                       "",
                       "",
                       {TextsOf(kContext).changed},
                       kChanged},
            DialogCase{"ContextQuoteInUserCode",
                       kContext,
                       "o'q",
                       kEncodedOld,
                       "old",
                       "n1",
                       "n1",
                       {TextsOf(kContext).changed},
                       kChanged},
            DialogCase{"ContextWrongOld",
                       kContext,
                       "ctx",
                       kEncodedOld,
                       "wrong",
                       "n1",
                       "n1",
                       {TextsOf(kContext).wrongOld},
                       kFailed},
            DialogCase{"ContextConfirmationDiffers",
                       kContext,
                       "ctx",
                       kEncodedOld,
                       "old",
                       "n1",
                       "n2",
                       {TextsOf(kContext).differ},
                       kFailed},
            DialogCase{"ContextCancel", kContext, "ctx", kEncodedOld, "old", "n1", "n1", {}, kCancelled, true},
            DialogCase{"AutomationChangesToChinese",
                       kAutomation,
                       "md5",
                       kDigestOld,
                       "old",
                       "新密码",
                       "新密码",
                       {TextsOf(kAutomation).changed},
                       kChanged},
            DialogCase{"AutomationUpperCaseStoredDigest",
                       kAutomation,
                       "md5",
                       rtl::UpperCase(kDigestOld),
                       "old",
                       "n1",
                       "n1",
                       {TextsOf(kAutomation).changed},
                       kChanged},
            DialogCase{"AutomationQuoteInUserCode",
                       kAutomation,
                       "o'q",
                       kDigestOld,
                       "old",
                       "n1",
                       "n1",
                       {TextsOf(kAutomation).changed},
                       kChanged},
            DialogCase{"AutomationWrongOld",
                       kAutomation,
                       "md5",
                       kDigestOld,
                       "wrong",
                       "n1",
                       "n1",
                       {TextsOf(kAutomation).wrongOld},
                       kFailed},
            DialogCase{"AutomationNullPassword",
                       kAutomation,
                       "md5",
                       std::nullopt,
                       "old",
                       "n1",
                       "n1",
                       {TextsOf(kAutomation).wrongOld},
                       kFailed},
            DialogCase{"AutomationCancel", kAutomation, "md5", kDigestOld, "old", "n1", "n1", {}, kCancelled, true})),
    RowName<DialogCase>);

// A table without a key may hold the user twice: the update would change
// both rows, so it is rolled back and reported as a failure, as the driver
// counts the rows.
TEST_P(OdbcSource, UpdateOfTwoRowsIsRefused) {
  const Edition edition = Edition::Automation;
  for (const char* statement : {"DROP TABLE P_FunRight", "CREATE TABLE Users2 AS SELECT * FROM P_User",
                                "DROP TABLE P_User", "ALTER TABLE Users2 RENAME TO P_User"}) {
    source_->Admin().Execute(statement);
  }
  for (int i = 0; i < 2; ++i) source_->AddUser("user", StoredFormOf(edition, "old"));
  const DatabaseState before = source_->State();

  const InProcessRun run =
      RunInProcess(edition, source_->ConnectionString(), "user", ChangeSteps(edition, "old", "new"));

  ASSERT_TRUE(run.outcome.has_value()) << run.hostError;
  EXPECT_EQ(*run.outcome, host::Outcome::Failed);
  EXPECT_EQ(run.Texts(), std::vector<rtl::AnsiString>{TextsOf(edition).notChanged}) << Readable(run.Texts());
  EXPECT_TRUE(run.stillOpen.has_value());
  EXPECT_TRUE(Contains(run.err, "would change 2 rows")) << run.err;
  EXPECT_TRUE(SameState(before, source_->State()));
}

// The program as a person runs it: its exit status and what it prints.
struct ProgramCase {
  const char* name;
  Edition edition;
  std::vector<std::string> commands;
  int status;
  const char8_t* printed;           // a line of standard output
  const char* storedNew = nullptr;  // the new password (GBK) when the change is kept
};
void PrintTo(const ProgramCase& c, std::ostream* os) { *os << c.name; }

class OdbcProgram : public ::testing::TestWithParam<std::tuple<SourceKind, ProgramCase>> {
 protected:
  void SetUp() override {
    source_ = DataSource::Make(std::get<0>(GetParam()));
    AddBystanders(*source_);
    source_->AddUser("user", StoredFormOf(std::get<1>(GetParam()).edition, "old"));
  }
  std::unique_ptr<DataSource> source_;
};

TEST_P(OdbcProgram, TellsWhatHappenedToTheRow) {
  const ProgramCase& c = std::get<1>(GetParam());
  const DatabaseState before = source_->State();
  const ProgramRun run = RunProgramOver(c.edition, source_->ConnectionString(), "user", c.commands);
  EXPECT_EQ(run.status, c.status) << Describe(run);
  EXPECT_TRUE(Contains(run.out, Utf8(c.printed) + "\n")) << Describe(run);
  const DatabaseState expected =
      c.storedNew != nullptr ? WithPassword(before, "user", StoredFormOf(c.edition, c.storedNew)) : before;
  EXPECT_TRUE(SameState(expected, source_->State()));
}

INSTANTIATE_TEST_SUITE_P(
    Editions, OdbcProgram,
    ::testing::Combine(
        kSources,
        ::testing::Values(ProgramCase{"ContextChanges", kContext, ChangeCommands(kContext, "old", Utf8(u8"新密码")), 0,
                                      u8"[information] 口令修改成功!", "新密码"},
                          ProgramCase{"ContextCancelled",
                                      kContext,
                                      {"click btnCancel"},
                                      1,
                                      u8"velmora-host: cancelled (context edition, user user)"},
                          ProgramCase{"AutomationChanges", kAutomation, ChangeCommands(kAutomation, "old", "n1"), 0,
                                      u8"[information] 密码修改成功！", "n1"},
                          ProgramCase{"AutomationWrongOld", kAutomation, ChangeCommands(kAutomation, "wrong", "n1"), 2,
                                      u8"velmora-host: failed (automation edition, user user)"})),
    RowName<ProgramCase>);

// A database the host did not create: reshaped by the test, then given to
// the program, which names what is missing and stops with status 3, or
// goes ahead; either way nothing of it is created or altered.
struct ForeignCase {
  const char* name;
  Edition edition;
  std::vector<const char*> reshape;  // statements run on the database first
  std::vector<std::string> named;    // what the error names; empty when the run goes ahead
};
void PrintTo(const ForeignCase& c, std::ostream* os) { *os << c.name; }

class OdbcForeignDatabase : public ::testing::TestWithParam<std::tuple<SourceKind, ForeignCase>> {
 protected:
  void SetUp() override { source_ = DataSource::Make(std::get<0>(GetParam())); }
  std::unique_ptr<DataSource> source_;
};

TEST_P(OdbcForeignDatabase, IsReadAsItIs) {
  const ForeignCase& c = std::get<1>(GetParam());
  source_->AddUser("user", StoredFormOf(c.edition, "old"));
  for (const char* statement : c.reshape) source_->Admin().Execute(statement);
  const DatabaseState before = source_->State();
  // A run that goes ahead changes the password, through the names as they are.
  const std::vector<std::string> commands =
      c.named.empty() ? ChangeCommands(c.edition, "old", "n1") : std::vector<std::string>{"close"};
  const ProgramRun run = RunProgramOver(c.edition, source_->ConnectionString(), "user", commands);
  if (c.named.empty()) {
    EXPECT_EQ(run.status, 0) << Describe(run);
    EXPECT_TRUE(SameState(WithPassword(before, "user", StoredFormOf(c.edition, "n1")), source_->State()));
    return;
  }
  EXPECT_EQ(run.status, 3) << Describe(run);
  EXPECT_TRUE(run.err.starts_with("velmora-host: ")) << Describe(run);
  for (const std::string& part : c.named) EXPECT_TRUE(Contains(run.err, part)) << part << "\n" << Describe(run);
  EXPECT_TRUE(SameState(before, source_->State()));
}

INSTANTIATE_TEST_SUITE_P(
    Tables, OdbcForeignDatabase,
    ::testing::Combine(kSources,
                       ::testing::Values(
                           ForeignCase{
                               "NoUserTable", kAutomation, {"DROP TABLE P_FunRight", "DROP TABLE P_User"}, {"P_User"}},
                           ForeignCase{"NoPassWordColumn",
                                       kAutomation,
                                       {"ALTER TABLE P_User RENAME COLUMN PassWord TO Pwd"},
                                       {"P_User", "PassWord"}},
                           ForeignCase{"ContextWithoutRights", kContext, {"DROP TABLE P_FunRight"}, {"P_FunRight"}},
                           ForeignCase{"ContextRightsWithoutModFunID",
                                       kContext,
                                       {"ALTER TABLE P_FunRight DROP COLUMN ModFunID"},
                                       {"P_FunRight", "ModFunID"}},
                           ForeignCase{"AutomationWithoutRights", kAutomation, {"DROP TABLE P_FunRight"}, {}},
                           // PostgreSQL folds unquoted names to lower case; SQLite keeps
                           // these in upper case: the host's mixed-case names match both.
                           ForeignCase{"NamesInOtherLetterCase",
                                       kContext,
                                       {"ALTER TABLE P_User RENAME TO Users0", "ALTER TABLE Users0 RENAME TO P_USER",
                                        "ALTER TABLE P_USER RENAME COLUMN PassWord TO Column0",
                                        "ALTER TABLE P_USER RENAME COLUMN Column0 TO PASSWORD",
                                        "ALTER TABLE P_FunRight RENAME COLUMN ModFunID TO Column1",
                                        "ALTER TABLE P_FunRight RENAME COLUMN Column1 TO MODFUNID"},
                                       {}})),
    RowName<ForeignCase>);

}  // namespace
}  // namespace velmora::test
