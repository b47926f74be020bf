// Loads the built automation edition through the host's loader for each
// test, drives its entry points and shows its dialog through a scripted
// front end. The servers it reaches are the test's business: the host's own
// (over a temporary database) or fakes.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/ModuleLoader.h"
#include "host/SessionLog.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/Expectations.h"

namespace velmora::test {

// The dialog's messages (GBK).
inline constexpr const char* kOldPasswordEmpty = "旧密码不得为空！";
inline constexpr const char* kNewPasswordEmpty = "新密码不得为空！";
inline constexpr const char* kNewPasswordsDiffer = "两次新密码不相同！";
inline constexpr const char* kOldPasswordWrong = "原密码错误！";
inline constexpr const char* kChangeFailed = "密码修改出现错误！";
inline constexpr const char* kPasswordChanged = "密码修改成功！";

// Closing a modal form (the cancel button, a successful change, the fourth
// wrong password) ends it with this modal result.
inline constexpr int kModalClosed = 2;

// MD5 hex digests (lower case) of a few passwords.
inline constexpr const char* kMd5Old = "149603e6c03516362a8da23f624db945";
inline constexpr const char* kMd5New = "22af645d1859cb5ca6da0c484f1f37ea";

// Clicks into each password edit in turn and types the texts, then runs then.
std::vector<Step> FillIn(const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                         const rtl::AnsiString& confirmPass, std::initializer_list<Step> then = {});
// The three edits by name, as FormState holds them.
std::map<std::string, rtl::AnsiString> EditTexts(const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                                                 const rtl::AnsiString& confirmPass);

// What the dialog shows and counts.
rtl::AnsiString CaptionOf(const rtl::TCustomForm& form, const std::string& label);
std::int32_t ErrorCountOf(const rtl::TCustomForm& form);
// Label6 after n wrong old passwords: "错误操作: n 次".
rtl::AnsiString WrongCountText(int n);
// Checks, while the dialog is shown, that it is still open with Label6 and
// ErrorCount telling n wrong old passwords.
Step ExpectOpenAfterWrongPasswords(int n);
Step ExpectFocus(const char* name);

// What one showing of the dialog produced.
struct DialogRun {
  int result = 0;                      // what ShowModal returned
  std::optional<FormState> stillOpen;  // the state when the steps ran out with the dialog open
  std::vector<rtl::AnsiString> messages;
  std::vector<rtl::TMsgKind> kinds;
  // Read from the form after the showing (closing does not destroy it).
  rtl::AnsiString label6;
  std::int32_t errorCount = -1;
};

class AutomationModuleTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::int32_t CreateModule(rtl::TCustomForm** form, std::int32_t* kind, std::array<std::int32_t, 5> ignored = {});
  std::int32_t FreeModule(rtl::TCustomForm** form);
  std::int32_t GetModuleInfo(std::int32_t ignored, char** buffer);
  std::int32_t RefreshModule(std::int32_t a, std::int32_t b);

  // A dialog made through CreateModule, which must succeed.
  rtl::TCustomForm* NewDialog();
  void FreeDialog(rtl::TCustomForm* form);
  DialogRun Show(rtl::TCustomForm& form, std::vector<Step> steps);
  // CreateModule, show with the steps, FreeModule.
  DialogRun RunDialog(std::vector<Step> steps);
  // Unloads the library (its unit finalisation runs).
  void Unload();
  bool LibraryIsLoaded() const;

  std::unique_ptr<host::LoadedModule> module_;
  host::SessionLog log_;
};

// Checks that a run left the dialog open with the edits as given, Label6
// empty and ErrorCount 0.
void ExpectOpenUntouched(const DialogRun& run, const std::map<std::string, rtl::AnsiString>& edits);

}  // namespace velmora::test
