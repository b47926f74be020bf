// The reference host on a terminal, as a person uses it: the program runs on
// a pseudo-terminal, the test reads the screen and types keys.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "tests/support/Expectations.h"
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

// The context dialog of user u1 (password "old") on the terminal, drawn.
// The host program's own tests cover the outcomes; these what only the
// terminal shows.
class TerminalDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.AddUserWithPassword("u1", "old");
    host_.emplace(db_.Path());
    if (!host_->Started()) GTEST_SKIP() << "this machine offers no pseudo-terminal";
    ASSERT_TRUE(host_->WaitFor(Utf8(u8"┌ 修改登录密码 "))) << "the dialog's frame and caption never appeared";
  }

  TempDatabase db_;
  std::optional<TerminalHost> host_;
};

TEST_F(TerminalDialog, ShowsTypedPasswordsAsStars) {
  host_->Type("sesame");
  ASSERT_TRUE(host_->WaitFor("******")) << "typed characters are not shown masked";
  EXPECT_EQ(host_->Seen().find("sesame"), std::string::npos) << "the password was shown in clear";
}

// A control character typed into a password is refused with the terminal's
// bell rather than dropped silently.
TEST_F(TerminalDialog, RingsTheBellForAControlCharacter) {
  host_->Type("\x01");  // Ctrl+A
  EXPECT_TRUE(host_->WaitFor("\a")) << "expected the refused character to ring the bell";
}

TEST_F(TerminalDialog, EscCancels) {
  host_->Type("\x1b");
  EXPECT_EQ(host_->Exit(), 1);
}

// A wrong old password: the warning in a frame of its own, with its button.
TEST_F(TerminalDialog, DrawsAMessageBoxInAFrameOfItsOwn) {
  host_->Type("wrong\rnew\rnew\r");  // Enter in the confirmation acts as OK
  EXPECT_TRUE(host_->WaitFor(Utf8(u8"│ 旧密码错误!请重新输入!"))) << "no framed warning";
  EXPECT_TRUE(host_->WaitFor(Utf8(u8"[ 确定 ]")));
}

struct DismissCase {
  std::string name;
  const char* key;
};
void PrintTo(const DismissCase& c, std::ostream* os) { *os << c.name; }

class TerminalMessageBox : public TerminalDialog, public ::testing::WithParamInterface<DismissCase> {};

// The dialog then takes keys again: Esc reaches it and cancels it.
TEST_P(TerminalMessageBox, IsDismissedByTheKey) {
  host_->Type("wrong\rnew\rnew\r");
  ASSERT_TRUE(host_->WaitFor(Utf8(u8"[ 确定 ]"))) << "no message box";
  host_->Type(GetParam().key);
  ASSERT_TRUE(host_->WaitFor(Utf8(u8"修改登录密码"))) << "the dialog was not drawn again";
  host_->Type("\x1b");
  EXPECT_EQ(host_->Exit(), 1) << "expected Esc to reach the dialog and cancel it";
}

INSTANTIATE_TEST_SUITE_P(Keys, TerminalMessageBox,
                         ::testing::Values(DismissCase{"Enter", "\r"}, DismissCase{"Space", " "},
                                           DismissCase{"Esc", "\x1b"}),
                         CaseName());

}  // namespace
}  // namespace velmora::test
