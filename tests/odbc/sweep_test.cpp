// Every ODBC call of a whole password change fails in turn, as SQLite's
// fault simulation makes each allocation fail: connecting, checking the
// host's tables, finding the user, the dialog's query and its update. The
// N-th call fails for N = 1, 2, ... until a change completes without any
// failure. Each run ends without a crash, with a clear message, and with
// either nothing written or exactly the user's row rewritten, reported as
// a change exactly when the row changed.
#include <iostream>
#include <map>
#include <set>

#include "tests/odbc/DataSource.h"
#include "tests/odbc/HostRuns.h"

namespace velmora::test {
namespace {

class OdbcCallSweep : public ::testing::TestWithParam<Edition> {};

TEST_P(OdbcCallSweep, EveryFailingCallEndsCleanly) {
  const Edition edition = GetParam();
  const EditionTexts& texts = TextsOf(edition);
  const std::unique_ptr<DataSource> source = DataSource::Make(SourceKind::PostgreSql);
  source->AddUser("x", StoredFormOf(Edition::Context, "old"));
  source->AddUser("user", StoredFormOf(edition, "old"));
  const DatabaseState before = source->State();
  const DatabaseState changed = WithPassword(before, "user", StoredFormOf(edition, "new"));
  std::map<std::string, int> outcomes;
  std::set<std::string> outlived;  // functions whose failure the change outlived
  for (int n = 1;; ++n) {
    CallCount count{n, 0, {}};
    const InProcessRun run =
        RunInProcess(edition, source->ConnectionString(), "user", ChangeSteps(edition, "old", "new"), {&count});
    const DatabaseState after = source->State();
    const std::string where = "call " + std::to_string(n) + " (" + count.failed + ")";
    SCOPED_TRACE(where);
    const bool rowChanged = after == changed;
    EXPECT_TRUE(rowChanged || SameState(before, after)) << "expected nothing but the user's row rewritten";
    if (count.failed.empty()) {
      EXPECT_TRUE(rowChanged) << "expected the change to complete without a failure";
      std::cout << "[ sweep    ] " << InfoOf(edition).name << " edition: " << count.calls
                << " ODBC calls in a password change; with one failing:";
      for (const auto& [outcome, runs] : outcomes) std::cout << " " << outcome << " " << runs;
      std::cout << "; changed despite a failing";
      for (const std::string& function : outlived) std::cout << " " << function;
      std::cout << "\n";
      ::testing::Test::RecordProperty("calls", count.calls);
      break;
    }
    if (!run.outcome) {
      // Stopped before the dialog: the person running the host is told why.
      EXPECT_FALSE(rowChanged);
      EXPECT_FALSE(run.hostError.empty());
      ++outcomes["host error"];
      continue;
    }
    EXPECT_EQ(*run.outcome == host::Outcome::Changed, rowChanged);
    ASSERT_FALSE(run.shown.empty()) << "expected a message";
    if (rowChanged) {
      EXPECT_EQ(run.shown.back().text, texts.changed) << Readable(run.shown.back().text);
      ++outcomes["changed"];
      outlived.insert(count.failed);
    } else {
      // The dialog tells of the failure and stays open.
      const rtl::AnsiString& text = run.shown.back().text;
      EXPECT_TRUE(text == texts.notChanged || text == kDatabaseFailed) << Readable(text);
      EXPECT_TRUE(run.stillOpen.has_value());
      ++outcomes[text == kDatabaseFailed ? "query failed" : "update failed"];
    }
    if (rowChanged)
      source->Admin().Execute("UPDATE P_User SET PassWord = ? WHERE UserCode = 'user'", {StoredFormOf(edition, "old")});
  }
}

INSTANTIATE_TEST_SUITE_P(Editions, OdbcCallSweep, ::testing::Values(Edition::Context, Edition::Automation),
                         [](const ::testing::TestParamInfo<Edition>& row) { return InfoOf(row.param).name; });

}  // namespace
}  // namespace velmora::test
