// Many velmora-host programs over one PostgreSQL database at once: each
// writes its own user's row, and two that change the same user's password
// leave one of the two typed passwords, each telling truthfully what it did.
#include <exception>
#include <iostream>
#include <thread>

#include "tests/odbc/DataSource.h"
#include "tests/odbc/HostRuns.h"

namespace velmora::test {
namespace {

// Runs each edition's change of user's password to newPass (UTF-8), all at once.
struct Change {
  Edition edition;
  std::string user;
  std::string newPass;
};
std::vector<ProgramRun> RunAtOnce(const std::string& connection, const std::vector<Change>& changes) {
  std::vector<ProgramRun> runs(changes.size());
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    threads.emplace_back([&, i] {
      const Change& c = changes[i];
      // An exception must not leave the thread: it would end the whole test program.
      try {
        runs[i] = RunProgramOver(c.edition, connection, c.user, ChangeCommands(c.edition, "old", c.newPass));
      } catch (const std::exception& e) {
        runs[i].status = -1;
        runs[i].err = e.what();
      }
    });
  }
  for (std::thread& t : threads) t.join();
  return runs;
}

class OdbcProcesses : public ::testing::Test {
 protected:
  void SetUp() override {
    source_ = DataSource::Make(SourceKind::PostgreSql);
    source_->AddUser("x", StoredFormOf(Edition::Context, "old"));
  }
  std::unique_ptr<DataSource> source_;
};

TEST_F(OdbcProcesses, TwentyAtOnceChangeOnlyTheirOwnRows) {
  std::vector<Change> changes;
  for (int i = 1; i <= 20; ++i) {
    const Edition edition = i % 2 == 0 ? Edition::Automation : Edition::Context;
    changes.push_back({edition, "user" + std::to_string(i), "new" + std::to_string(i)});
    source_->AddUser(changes.back().user, StoredFormOf(edition, "old"));
  }
  DatabaseState expected = source_->State();
  for (const Change& c : changes) expected = WithPassword(expected, c.user, StoredFormOf(c.edition, c.newPass));

  const double started = Seconds();
  const std::vector<ProgramRun> runs = RunAtOnce(source_->ConnectionString(), changes);
  const double seconds = Seconds() - started;
  std::cout << "[ at once  ] 20 hosts changed 20 passwords in " << seconds << " s\n";

  for (std::size_t i = 0; i < runs.size(); ++i)
    EXPECT_EQ(runs[i].status, 0) << changes[i].user << ": " << Describe(runs[i]);
  EXPECT_TRUE(SameState(expected, source_->State()));
}

// Both hosts read the old password, then update the row one after the
// other (the second waits for the first's lock): the row holds the password
// of one of them, and a host that says it changed the password did write it.
TEST_F(OdbcProcesses, TwoChangingTheSameUserLeaveOneOfTheTypedPasswords) {
  const Edition edition = Edition::Context;
  source_->AddUser("same", StoredFormOf(edition, "old"));
  const DatabaseState before = source_->State();
  const std::vector<Change> changes{{edition, "same", "first"}, {edition, "same", "second"}};
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const std::vector<ProgramRun> runs = RunAtOnce(source_->ConnectionString(), changes);
    const std::optional<std::string> stored = source_->StoredPassword("same");
    std::size_t kept = changes.size();
    for (std::size_t i = 0; i < changes.size(); ++i) {
      if (stored == StoredFormOf(edition, changes[i].newPass)) kept = i;
    }
    ASSERT_NE(kept, changes.size()) << "the row holds neither typed password";
    EXPECT_TRUE(SameState(WithPassword(before, "same", *stored), source_->State()));
    std::cout << "[ same user] round " << round << ": statuses " << runs[0].status << " and " << runs[1].status
              << ", the row holds \"" << changes[kept].newPass << "\"\n";
    for (std::size_t i = 0; i < runs.size(); ++i) {
      const ProgramRun& run = runs[i];
      if (i == kept) {
        EXPECT_EQ(run.status, 0) << Describe(run);
      }
      // Each says what it did: changed (and then perhaps overwritten), or
      // nothing written: the write failed, or the other host had changed
      // the password before this one read it.
      if (run.status == 0) {
        EXPECT_TRUE(Contains(run.out, Utf8(u8"[information] 口令修改成功!\n"))) << Describe(run);
      } else {
        EXPECT_EQ(run.status, 2) << Describe(run);
        EXPECT_TRUE(Contains(run.out, Utf8(u8"[information] 口令修改失败!\n")) ||
                    Contains(run.out, Utf8(u8"[information] 旧密码错误!请重新输入!\n")))
            << Describe(run);
      }
    }
    source_->Admin().Execute("UPDATE P_User SET PassWord = ? WHERE UserCode = 'same'", {StoredFormOf(edition, "old")});
  }
}

}  // namespace
}  // namespace velmora::test
