// Loads the built context edition through the host's loader for each test
// and drives its entry points and its dialog.
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
inline constexpr const char* kOldPasswordWrong = "旧密码错误!请重新输入!";
inline constexpr const char* kNewPasswordsDiffer = "新密码与确认密码不一致，请重新输入!";
inline constexpr const char* kPasswordChanged = "口令修改成功!";
inline constexpr const char* kPasswordNotChanged = "口令修改失败!";

inline const std::vector<rtl::AnsiString> kNoMessages;

inline constexpr int kModalOk = 1;
inline constexpr int kModalCancel = 2;

// Clicks into each password edit in turn and types the texts, then runs then.
std::vector<Step> Fill(const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                       const rtl::AnsiString& confirmPass, std::initializer_list<Step> then = {});

// The edits of the dialog, by name, as FormState holds them.
std::map<std::string, rtl::AnsiString> Edits(const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                                             const rtl::AnsiString& confirmPass);

// What one showing of the dialog produced.
struct DialogRun {
  int result = 0;                     // what ShowModal returned
  std::optional<FormState> stillOpen; // the dialog's state when the steps ran out, if it had not ended
  std::vector<rtl::AnsiString> messages;
  std::vector<rtl::TMsgKind> kinds;
};

class ContextModuleTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::int32_t CreateModule(rtl::TCustomForm** form, THostContext* context, std::int32_t* kind,
                            std::array<std::int32_t, 5> ignored = {});
  std::int32_t FreeModule(rtl::TCustomForm** form);
  std::int32_t GetModuleInfo(std::int32_t ignored, char** buffer);
  std::int32_t RefreshModule(std::int32_t a, std::int32_t b);

  // A dialog made through CreateModule, which must succeed.
  rtl::TCustomForm* NewDialog(THostContext& context);
  void FreeDialog(rtl::TCustomForm* form);
  DialogRun Show(rtl::TCustomForm& form, std::vector<Step> steps);
  // CreateModule, show with the steps, FreeModule.
  DialogRun RunDialog(THostContext& context, std::vector<Step> steps);

  std::unique_ptr<host::LoadedModule> module_;
  host::SessionLog log_;
};

}  // namespace velmora::test
