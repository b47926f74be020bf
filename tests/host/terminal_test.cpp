// The reference host on a terminal, as a person uses it: the program runs on
// a pseudo-terminal, the test reads the screen and types keys.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "host/Encoding.h"
#include "tests/support/LibraryPaths.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

class TerminalHost {
 public:
  explicit TerminalHost(const std::string& db) {
    winsize size{30, 100, 0, 0};
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ == 0) {
      execl(VELMORA_HOST_PROGRAM, VELMORA_HOST_PROGRAM, "--db", db.c_str(), "--user", "u1", kContextLibrary,
            static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~TerminalHost() {
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }
  bool Started() const { return pid_ > 0; }

  // Reads the screen until it shows text (UTF-8); false after ten seconds.
  bool WaitFor(const std::string& text) {
    for (int waits = 0; screen_.find(text) == std::string::npos; ++waits) {
      if (waits == 200) return false;
      pollfd fd{master_, POLLIN, 0};
      if (poll(&fd, 1, 50) <= 0) continue;
      char buffer[4096];
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) return false;
      screen_.append(buffer, static_cast<std::size_t>(n));
    }
    screen_.clear();
    return true;
  }
  void Type(const std::string& keys) { ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size())); }
  // The exit status once the program has ended (it is killed after ten seconds).
  int Exit() {
    WaitFor("\x01never");  // drains the screen until the program closes the terminal
    int status = 0;
    pid_t done = 0;
    for (int waits = 0; waits < 1000 && (done = waitpid(pid_, &status, WNOHANG)) == 0; ++waits) usleep(10000);
    if (done == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return status_;
  }

 private:
  int master_ = -1;
  pid_t pid_ = -1;
  int status_ = -1;
  std::string screen_;
};

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(TerminalHost, ShowsTheDialogMasksTypingAndChangesThePassword) {
  TempDatabase db;
  db.AddUserWithPassword("u1", "old");
  TerminalHost host(db.Path());
  if (!host.Started()) GTEST_SKIP() << "this machine offers no pseudo-terminal";
  ASSERT_TRUE(host.WaitFor(Utf8(u8"修改登录密码"))) << "the dialog's caption never appeared";
  host.Type("old");
  ASSERT_TRUE(host.WaitFor("***")) << "typed characters are not shown masked";
  host.Type("\r");  // Enter walks to the new password
  host.Type("new\rnew\r");  // Enter in the confirmation acts as OK
  ASSERT_TRUE(host.WaitFor(Utf8(u8"口令修改成功!"))) << "no success message box";
  host.Type("\r");  // dismisses the message box; the dialog has ended
  EXPECT_EQ(host.Exit(), 0);
  EXPECT_EQ(db.StoredPassword("u1"), host::EncodeHostPassword("new"));
}

TEST(TerminalHost, EscapeCancelsAndLeavesThePassword) {
  TempDatabase db;
  db.AddUserWithPassword("u1", "old");
  const auto before = db.StoredPassword("u1");
  TerminalHost host(db.Path());
  if (!host.Started()) GTEST_SKIP() << "this machine offers no pseudo-terminal";
  ASSERT_TRUE(host.WaitFor(Utf8(u8"修改登录密码")));
  host.Type("\x1b");
  EXPECT_EQ(host.Exit(), 1);
  EXPECT_EQ(db.StoredPassword("u1"), before);
}

}  // namespace
}  // namespace velmora::test
