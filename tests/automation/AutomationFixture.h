// The automation edition's dialog texts and the fixture that loads the
// edition. The servers it reaches are the test's business: the host's own
// (over a temporary database) or fakes.
#pragma once

#include "runtime/text/Text.h"
#include "tests/support/ModuleFixture.h"

namespace velmora::test {

// The dialog's messages (GBK).
inline constexpr const char* kOldPasswordEmpty = "旧密码不得为空！";
inline constexpr const char* kNewPasswordEmpty = "新密码不得为空！";
inline constexpr const char* kNewPasswordsDiffer = "两次新密码不相同！";
inline constexpr const char* kOldPasswordWrong = "原密码错误！";
inline constexpr const char* kChangeFailed = "密码修改出现错误！";
inline constexpr const char* kPasswordChanged = "密码修改成功！";

// Closing the dialog (the cancel button, a successful change, the fourth
// wrong password) ends it with this modal result.
inline constexpr int kModalClosed = 2;

// The MD5 hex digest (lower case) of "old".
inline constexpr const char* kMd5Old = "149603e6c03516362a8da23f624db945";

// Label6 after n wrong old passwords.
inline rtl::AnsiString WrongCountText(int n) { return "错误操作: " + rtl::IntToStr(n) + " 次"; }

class AutomationModuleTest : public ModuleTest {
 protected:
  AutomationModuleTest() : ModuleTest(Edition::Automation) {}

  // The dialog left open as typed, with no wrong password counted.
  void ExpectOpenUntouched(const DialogRun& run, const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                           const rtl::AnsiString& confirmPass) {
    EXPECT_TRUE(OpenWith(run, Edits(oldPass, newPass, confirmPass)));
    EXPECT_EQ(run.label6, "") << "expected no wrong password counted, got " << Readable(run.label6);
  }
};

}  // namespace velmora::test
