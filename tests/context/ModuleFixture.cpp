#include "tests/context/ModuleFixture.h"

#include "tests/support/FormLeakCheck.h"
#include "tests/support/LibraryPaths.h"

namespace velmora::test {

std::vector<Step> Fill(const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                       const rtl::AnsiString& confirmPass, std::initializer_list<Step> then) {
  std::vector<Step> steps{Click("edtOldPass"), Type(oldPass), Click("edtNewPass"), Type(newPass),
                          Click("edtConfirmPass"), Type(confirmPass)};
  steps.insert(steps.end(), then.begin(), then.end());
  return steps;
}

std::map<std::string, rtl::AnsiString> Edits(const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                                             const rtl::AnsiString& confirmPass) {
  return {{"edtOldPass", oldPass}, {"edtNewPass", newPass}, {"edtConfirmPass", confirmPass}};
}

void ContextModuleTest::SetUp() { module_ = std::make_unique<host::LoadedModule>(kContextLibrary); }

void ContextModuleTest::TearDown() {
  // The forms' code goes away with the library: check for leftovers first.
  CheckNoFormsOwnedByApplication();
  module_.reset();
}

std::int32_t ContextModuleTest::CreateModule(rtl::TCustomForm** form, THostContext* context, std::int32_t* kind,
                                             std::array<std::int32_t, 5> ignored) {
  return module_->CreateModuleContext()(form, ignored[0], ignored[1], ignored[2], ignored[3], ignored[4], context,
                                        kind);
}

std::int32_t ContextModuleTest::FreeModule(rtl::TCustomForm** form) { return module_->FreeModule()(form); }

std::int32_t ContextModuleTest::GetModuleInfo(std::int32_t ignored, char** buffer) {
  return module_->GetModuleInfo()(ignored, buffer);
}

std::int32_t ContextModuleTest::RefreshModule(std::int32_t a, std::int32_t b) { return module_->RefreshModule()(a, b); }

rtl::TCustomForm* ContextModuleTest::NewDialog(THostContext& context) {
  rtl::TCustomForm* form = nullptr;
  std::int32_t kind = 0;
  const std::int32_t status = CreateModule(&form, &context, &kind);
  EXPECT_EQ(status, 0) << "expected CreateModule to return 0, got " << status;
  return form;
}

void ContextModuleTest::FreeDialog(rtl::TCustomForm* form) {
  const std::int32_t status = FreeModule(&form);
  EXPECT_EQ(status, 0) << "expected FreeModule to return 0, got " << status;
}

DialogRun ContextModuleTest::Show(rtl::TCustomForm& form, std::vector<Step> steps) {
  DialogDriver driver(log_, std::move(steps));
  FrontEndScope scope(driver);
  DialogRun run;
  try {
    run.result = form.ShowModal();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "expected the dialog to show, got an exception: " << Readable(e.what());
  }
  run.stillOpen = driver.StillOpen();
  run.messages = driver.MessageTexts();
  run.kinds = driver.MessageKinds();
  EXPECT_EQ(driver.RemainingSteps(), 0u) << "expected every step to run, got " << driver.RemainingSteps()
                                         << " left when the dialog ended";
  return run;
}

DialogRun ContextModuleTest::RunDialog(THostContext& context, std::vector<Step> steps) {
  rtl::TCustomForm* form = NewDialog(context);
  if (form == nullptr) return {};
  DialogRun run = Show(*form, std::move(steps));
  FreeDialog(form);
  return run;
}

}  // namespace velmora::test
