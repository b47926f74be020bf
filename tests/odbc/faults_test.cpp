// What the host does when the server fails it, over PostgreSQL: a
// connection that cannot be made stops the host before any dialog; a
// server that goes away while the dialog is open, a new password the
// server rejects and a row another transaction holds locked each end in a
// Chinese message in the dialog and the English detail on standard error,
// with nothing written. A lock is waited for a bounded time only.
#include <functional>

#include "host/services/ModuleSql.h"
#include "runtime/controls/StdCtrls.h"
#include "tests/odbc/DataSource.h"
#include "tests/odbc/HostRuns.h"

namespace velmora::test {
namespace {

enum class Trouble {
  ServerGoneWhileOpen,    // the host's backend is terminated once the dialog is shown
  ServerGoneBeforeWrite,  // ... between the dialog's query and its update
  NewPasswordRejected,    // a CHECK constraint refuses the new PassWord
  RowLocked,              // another transaction holds the user's row
};

struct TroubleCase {
  const char* name;
  Edition edition;
  Trouble trouble;
  const char* detail;  // in the English detail on standard error
};
void PrintTo(const TroubleCase& c, std::ostream* os) { *os << c.name; }

// Told of the dialog's statements: runs an action after the first query,
// and notes when the query answered and when a statement failed.
class StatementWatch final : public host::SqlObserver {
 public:
  std::function<void()> afterQuery;
  std::optional<double> queried, failed;  // Seconds() at the first of each

  void Queried(const char*, const rtl::WideString&, std::size_t) override {
    if (!queried) queried = Seconds();
    if (afterQuery) std::exchange(afterQuery, nullptr)();
  }
  void Executed(const char*, const rtl::WideString&) override {}
  void Failed(const char*, const rtl::WideString&, const std::string&) override {
    if (!failed) failed = Seconds();
  }
};

class OdbcTrouble : public ::testing::TestWithParam<TroubleCase> {
 protected:
  void SetUp() override {
    source_ = DataSource::Make(SourceKind::PostgreSql);
    source_->AddUser("x", StoredFormOf(Edition::Context, "old"));
    source_->AddUser("user", StoredFormOf(GetParam().edition, "old"));
  }

  // Ends every other connection to the test's database (the host's), and
  // waits until they are gone.
  void TerminateHost() {
    source_->Admin().Select(
        "SELECT pg_terminate_backend(pid, 5000) FROM pg_stat_activity"
        " WHERE datname = current_database() AND pid <> pg_backend_pid()");
  }

  void Impose(Trouble trouble) {
    switch (trouble) {
      case Trouble::ServerGoneWhileOpen: TerminateHost(); break;
      case Trouble::ServerGoneBeforeWrite: watch_.afterQuery = [this] { TerminateHost(); }; break;
      case Trouble::NewPasswordRejected:
        source_->Admin().Execute("ALTER TABLE P_User ADD CONSTRAINT NoNewPassword CHECK (PassWord <> '" +
                                 StoredFormOf(GetParam().edition, "new") + "')");
        break;
      case Trouble::RowLocked:
        holder_ = source_->OpenConnection();
        holder_->Begin();
        ASSERT_EQ(holder_->Execute("UPDATE P_User SET UserName = UserName WHERE UserCode = 'user'"), 1);
        break;
    }
  }

  // Lifts what can be lifted while the dialog stays open; answers whether
  // the dialog's connection can be used again.
  bool Lift(Trouble trouble) {
    switch (trouble) {
      case Trouble::NewPasswordRejected:
        source_->Admin().Execute("ALTER TABLE P_User DROP CONSTRAINT NoNewPassword");
        return true;
      case Trouble::RowLocked: holder_->Rollback(); return true;
      default: return false;
    }
  }

  std::unique_ptr<DataSource> source_;
  std::unique_ptr<host::Connection> holder_;
  StatementWatch watch_;
};

// After the fault the dialog is open with what was typed; once the trouble
// is lifted, the same dialog changes the password.
TEST_P(OdbcTrouble, LeavesTheDialogOpenWithNothingWritten) {
  const TroubleCase& c = GetParam();
  const EditionInfo& info = InfoOf(c.edition);
  const EditionTexts& texts = TextsOf(c.edition);
  const DatabaseState before = source_->State();
  const bool atShow = c.trouble == Trouble::ServerGoneWhileOpen;
  if (!atShow) Impose(c.trouble);

  std::vector<Step> steps;
  if (atShow) steps.push_back(Inspect([&](rtl::TCustomForm&) { Impose(c.trouble); }));
  for (Step& step : ChangeSteps(c.edition, "old", "new")) steps.push_back(std::move(step));
  bool recovers = false;
  steps.push_back(Inspect([&](rtl::TCustomForm& dialog) {
    EXPECT_EQ(dialog.ModalResult(), 0) << "expected the dialog open after the fault";
    EXPECT_TRUE(SameState(before, source_->State())) << "after the faulted attempt";
    recovers = Lift(c.trouble);
    const char* const typed[] = {"old", "new", "new"};
    for (std::size_t i = 0; i < 3; ++i) {
      dynamic_cast<rtl::TEdit&>(*dialog.FindComponent(info.edits[i])).SetText(typed[i]);
    }
  }));
  steps.push_back(Click(info.okButton));

  const InProcessRun run =
      RunInProcess(c.edition, source_->ConnectionString(), "user", std::move(steps), {nullptr, &watch_});

  ASSERT_TRUE(run.outcome.has_value()) << run.hostError;
  const bool queryFails = atShow;
  const rtl::AnsiString failure = queryFails ? kDatabaseFailed : texts.notChanged;
  const rtl::TMsgKind kind = queryFails ? rtl::TMsgKind::Error : texts.notChangedKind;
  ASSERT_FALSE(run.shown.empty());
  EXPECT_EQ(run.shown[0].text, failure) << Readable(run.shown[0].text);
  EXPECT_EQ(run.shown[0].kind, kind);
  EXPECT_TRUE(Contains(run.err, c.detail)) << "expected the detail on standard error, got " << run.err;
  if (recovers) {
    EXPECT_EQ(run.Texts(), (std::vector<rtl::AnsiString>{failure, texts.changed}));
    EXPECT_EQ(*run.outcome, host::Outcome::Changed);
    EXPECT_TRUE(SameState(WithPassword(before, "user", StoredFormOf(c.edition, "new")), source_->State()));
  } else {
    // Without its connection every further attempt fails at the query.
    EXPECT_EQ(run.Texts(), (std::vector<rtl::AnsiString>{failure, kDatabaseFailed}));
    EXPECT_EQ(*run.outcome, host::Outcome::Failed);
    EXPECT_TRUE(run.stillOpen.has_value());
    EXPECT_TRUE(SameState(before, source_->State()));
  }
  if (c.trouble == Trouble::RowLocked) {
    // The update waited for the lock the host's timeout, not for ever.
    ASSERT_TRUE(watch_.queried && watch_.failed);
    const double waited = *watch_.failed - *watch_.queried;
    EXPECT_GE(waited, HostLockTimeout() - 0.5);
    EXPECT_LE(waited, HostLockTimeout() + 10.0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    PostgreSql, OdbcTrouble,
    ::testing::Values(
        TroubleCase{"ContextServerGoneWhileOpen", Edition::Context, Trouble::ServerGoneWhileOpen, "database error"},
        TroubleCase{"ContextServerGoneBeforeWrite", Edition::Context, Trouble::ServerGoneBeforeWrite, "database error"},
        TroubleCase{"ContextNewPasswordRejected", Edition::Context, Trouble::NewPasswordRejected, "[23514]"},
        TroubleCase{"ContextRowLocked", Edition::Context, Trouble::RowLocked, "[57014]"},
        TroubleCase{"AutomationServerGoneWhileOpen", Edition::Automation, Trouble::ServerGoneWhileOpen,
                    "database error"},
        TroubleCase{"AutomationServerGoneBeforeWrite", Edition::Automation, Trouble::ServerGoneBeforeWrite,
                    "database error"},
        TroubleCase{"AutomationNewPasswordRejected", Edition::Automation, Trouble::NewPasswordRejected, "[23514]"},
        TroubleCase{"AutomationRowLocked", Edition::Automation, Trouble::RowLocked, "[57014]"}),
    CaseName());

// A data source that cannot be reached is a host error before any dialog:
// status 3, the driver's words on standard error (never the password), and
// nothing written anywhere.
struct UnreachableCase {
  const char* name;
  std::function<std::string(const std::string&)> connection;  // from the test's own
  const char* detail;
};
void PrintTo(const UnreachableCase& c, std::ostream* os) { *os << c.name; }

class OdbcUnreachable : public ::testing::TestWithParam<UnreachableCase> {};

TEST_P(OdbcUnreachable, StopsTheHostWithStatusThree) {
  const UnreachableCase& c = GetParam();
  const std::unique_ptr<DataSource> source = DataSource::Make(SourceKind::PostgreSql);
  source->AddUser("user", StoredFormOf(Edition::Context, "old"));
  const DatabaseState before = source->State();
  const std::string connection = c.connection(source->ConnectionString()) + ";Pwd=Secret42";
  const ProgramRun run =
      RunProgramOver(Edition::Context, connection, "user", ChangeCommands(Edition::Context, "old", "new"));
  EXPECT_EQ(run.status, 3) << Describe(run);
  EXPECT_TRUE(run.err.starts_with("velmora-host: cannot connect to ODBC data source")) << Describe(run);
  EXPECT_TRUE(Contains(run.err, c.detail)) << Describe(run);
  EXPECT_FALSE(Contains(run.err, "Secret42")) << Describe(run);
  EXPECT_EQ(run.out, "") << Describe(run);
  EXPECT_TRUE(SameState(before, source->State()));
}

std::string WithServer(const std::string& connection, const std::string& server) {
  const std::size_t at = connection.find("Server=");
  const std::size_t end = connection.find(';', at);
  return connection.substr(0, at) + "Server=" + server + connection.substr(end);
}

INSTANTIATE_TEST_SUITE_P(
    PostgreSql, OdbcUnreachable,
    ::testing::Values(UnreachableCase{"NoServer",
                                      [](const std::string& s) { return WithServer(s, "/nonexistent/velmora"); },
                                      "[08001]"},
                      UnreachableCase{"NoDatabase",
                                      [](const std::string& s) { return WithDatabase(s, "velmora_missing"); },
                                      "velmora_missing\" does not exist"}),
    CaseName());

}  // namespace
}  // namespace velmora::test
