// Loads a built edition through the host's loader for each test, calls its
// entry points and shows its dialog through a DialogDriver.
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

#include "host/loader/LoadedModule.h"
#include "tests/support/ApplicationScreen.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/Expectations.h"

namespace velmora::test {

enum class Edition { Context, Automation };

struct EditionInfo {
  const char* name;
  const char* library;
  const char* dialogClass;
  std::int32_t displayKind;
  std::array<const char*, 3> edits;  // old, new and confirmation
  const char* okButton;
};
const EditionInfo& InfoOf(Edition edition);
inline void PrintTo(Edition edition, std::ostream* os) { *os << InfoOf(edition).name; }

// What one showing of the dialog produced.
struct DialogRun {
  int result = 0;                      // what ShowModal returned
  std::optional<FormState> stillOpen;  // the state when the steps ran out with the dialog open
  std::vector<rtl::AnsiString> messages;
  std::vector<rtl::TMsgKind> kinds;
  rtl::AnsiString label6;  // the automation dialog's attempt counter, after the showing
};

// Success when the run showed exactly these messages (GBK).
::testing::AssertionResult Shows(const DialogRun& run, const std::vector<rtl::AnsiString>& messages);
::testing::AssertionResult ShowsKinds(const DialogRun& run, const std::vector<rtl::TMsgKind>& kinds);
// Success when the steps ran out with the dialog open holding these edits.
::testing::AssertionResult OpenWith(const DialogRun& run, const std::map<std::string, rtl::AnsiString>& edits);

class ModuleTest : public ::testing::Test {
 protected:
  explicit ModuleTest(Edition edition) : edition_(edition) {}
  void SetUp() override { Load(); }
  void TearDown() override;

  void Load();
  void Unload() { module_.reset(); }  // the library's unit finalisation runs
  bool LibraryIsLoaded() const;

  std::int32_t CreateModule(rtl::TCustomForm** form, std::int32_t* kind, std::array<std::int32_t, 5> ignored = {});
  std::int32_t FreeModule(rtl::TCustomForm** form) { return module_->FreeModule()(form); }
  std::int32_t GetModuleInfo(std::int32_t a, char** buffer) { return module_->GetModuleInfo()(a, buffer); }
  std::int32_t RefreshModule(std::int32_t a, std::int32_t b) { return module_->RefreshModule()(a, b); }

  // A dialog made through CreateModule, which must succeed.
  rtl::TCustomForm* NewDialog();
  void FreeDialog(rtl::TCustomForm* form);
  DialogRun Show(rtl::TCustomForm& form, std::vector<Step> steps);
  // CreateModule, show with the steps, FreeModule.
  DialogRun RunDialog(std::vector<Step> steps);

  // Clicks into each password edit in turn and types the texts, then runs then.
  std::vector<Step> Fill(const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                         const rtl::AnsiString& confirmPass, std::initializer_list<Step> then = {}) const;
  // The three edits by name, as FormState holds them.
  std::map<std::string, rtl::AnsiString> Edits(const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                                               const rtl::AnsiString& confirmPass) const;

  Edition edition_;
  THostContext* context_ = nullptr;  // what the context edition's CreateModule is handed
  std::unique_ptr<host::LoadedModule> module_;
  ApplicationScreen screen_;  // where the host's services show their messages
};

}  // namespace velmora::test
