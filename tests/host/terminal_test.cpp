// The reference host on a terminal, as a person uses it: the program runs on
// a pseudo-terminal, the test reads the screen and types keys.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

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
  // What came after the text stays for the next wait.
  bool WaitFor(const std::string& text) {
    std::size_t at = 0;
    for (int waits = 0; (at = screen_.find(text)) == std::string::npos; ++waits) {
      if (waits == 200) return false;
      pollfd fd{master_, POLLIN, 0};
      if (poll(&fd, 1, 50) <= 0) continue;
      char buffer[4096];
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) return false;
      screen_.append(buffer, static_cast<std::size_t>(n));
    }
    seen_ += screen_.substr(0, at + text.size());
    screen_.erase(0, at + text.size());
    return true;
  }
  // Everything the program wrote up to the last text waited for.
  const std::string& Seen() const noexcept { return seen_; }
  void Type(const std::string& keys) {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }
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
  std::string seen_;
};

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// What only the terminal shows: the drawn dialog, typed passwords as stars,
// never in clear, and a control character typed into a password refused
// with the terminal's bell rather than dropped silently. The host program's
// own tests cover the outcomes.
TEST(TerminalHost, DrawsTheDialogMasksTypedPasswordsAndRingsTheBellForAControlCharacter) {
  TempDatabase db;
  db.AddUserWithPassword("u1", "old");
  TerminalHost host(db.Path());
  if (!host.Started()) GTEST_SKIP() << "this machine offers no pseudo-terminal";
  ASSERT_TRUE(host.WaitFor(Utf8(u8"┌ 修改登录密码 "))) << "the dialog's frame and caption never appeared";
  host.Type("sesame");
  ASSERT_TRUE(host.WaitFor("******")) << "typed characters are not shown masked";
  EXPECT_EQ(host.Seen().find("sesame"), std::string::npos) << "the password was shown in clear";
  host.Type("\x01");  // Ctrl+A
  EXPECT_TRUE(host.WaitFor("\a")) << "expected the refused character to ring the bell";
  host.Type("\x1b");
  EXPECT_EQ(host.Exit(), 1);
}

// A message box is drawn in a frame of its own and is dismissed by Enter,
// Space or Esc; the dialog then takes keys again (Esc cancels it).
TEST(TerminalHost, MessageBoxIsDrawnAndDismissedByEnterSpaceOrEsc) {
  for (const char* key : {"\r", " ", "\x1b"}) {
    SCOPED_TRACE(testing::Message() << "dismissed by " << (key[0] == '\r' ? "Enter" : key[0] == ' ' ? "Space" : "Esc"));
    TempDatabase db;
    db.AddUserWithPassword("u1", "old");
    TerminalHost host(db.Path());
    if (!host.Started()) GTEST_SKIP() << "this machine offers no pseudo-terminal";
    ASSERT_TRUE(host.WaitFor(Utf8(u8"修改登录密码")));
    host.Type("wrong\rnew\rnew\r");  // Enter in the confirmation acts as OK
    ASSERT_TRUE(host.WaitFor(Utf8(u8"│ 旧密码错误!请重新输入!"))) << "no framed warning";
    ASSERT_TRUE(host.WaitFor(Utf8(u8"[ 确定 ]")));
    host.Type(key);
    ASSERT_TRUE(host.WaitFor(Utf8(u8"修改登录密码"))) << "the dialog was not drawn again";
    host.Type("\x1b");
    EXPECT_EQ(host.Exit(), 1) << "expected Esc to reach the dialog and cancel it";
  }
}

}  // namespace
}  // namespace velmora::test
