#include "tests/automation/AutomationFixture.h"

#include <dlfcn.h>

#include "automation/UChangePassword.h"
#include "runtime/controls/Control.h"
#include "runtime/text/Text.h"
#include "tests/support/FormLeakCheck.h"
#include "tests/support/LibraryPaths.h"

namespace velmora::test {

std::vector<Step> FillIn(const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                         const rtl::AnsiString& confirmPass, std::initializer_list<Step> then) {
  std::vector<Step> steps{Click("EdtOldPass"), Type(oldPass),        Click("EdtNewPass"),
                          Type(newPass),       Click("EdtNewPass1"), Type(confirmPass)};
  steps.insert(steps.end(), then.begin(), then.end());
  return steps;
}

std::map<std::string, rtl::AnsiString> EditTexts(const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                                                 const rtl::AnsiString& confirmPass) {
  return {{"EdtOldPass", oldPass}, {"EdtNewPass", newPass}, {"EdtNewPass1", confirmPass}};
}

rtl::AnsiString CaptionOf(const rtl::TCustomForm& form, const std::string& label) {
  const auto* control = dynamic_cast<const rtl::TControl*>(form.FindComponent(label));
  if (control == nullptr) {
    ADD_FAILURE() << "expected a control named " << label << ", got none";
    return {};
  }
  return control->Caption();
}

std::int32_t ErrorCountOf(const rtl::TCustomForm& form) {
  // The dialog's class lives in the library; only its layout is shared.
  if (std::string(form.ClassName()) != "TFrmCP") {
    ADD_FAILURE() << "expected a TFrmCP, got a " << form.ClassName();
    return -1;
  }
  return static_cast<const automation::TFrmCP&>(form).ErrorCount();
}

rtl::AnsiString WrongCountText(int n) { return "错误操作: " + rtl::IntToStr(n) + " 次"; }

Step ExpectOpenAfterWrongPasswords(int n) {
  return Inspect([n](rtl::TCustomForm& form) {
    SCOPED_TRACE(::testing::Message() << "after " << n << " wrong old passwords");
    EXPECT_EQ(form.ModalResult(), 0) << "expected the dialog open, got modal result " << form.ModalResult();
    const rtl::AnsiString label = CaptionOf(form, "Label6");
    EXPECT_EQ(label, WrongCountText(n)) << "expected Label6 " << Readable(WrongCountText(n)) << ", got "
                                        << Readable(label);
    EXPECT_EQ(ErrorCountOf(form), n) << "expected ErrorCount " << n << ", got " << ErrorCountOf(form);
  });
}

Step ExpectFocus(const char* name) {
  return Inspect([name](rtl::TCustomForm& form) {
    const std::string focused = form.ActiveControl() != nullptr ? form.ActiveControl()->Name() : "";
    EXPECT_EQ(focused, name) << "expected focus in " << name << ", got " << focused;
  });
}

void AutomationModuleTest::SetUp() { module_ = std::make_unique<host::LoadedModule>(kAutomationLibrary); }

void AutomationModuleTest::TearDown() {
  // The forms' code goes away with the library: check for leftovers first.
  CheckNoFormsOwnedByApplication();
  Unload();
}

std::int32_t AutomationModuleTest::CreateModule(rtl::TCustomForm** form, std::int32_t* kind,
                                                std::array<std::int32_t, 5> ignored) {
  return module_->CreateModuleAutomation()(form, ignored[0], ignored[1], ignored[2], ignored[3], ignored[4], kind);
}

std::int32_t AutomationModuleTest::FreeModule(rtl::TCustomForm** form) { return module_->FreeModule()(form); }

std::int32_t AutomationModuleTest::GetModuleInfo(std::int32_t ignored, char** buffer) {
  return module_->GetModuleInfo()(ignored, buffer);
}

std::int32_t AutomationModuleTest::RefreshModule(std::int32_t a, std::int32_t b) {
  return module_->RefreshModule()(a, b);
}

rtl::TCustomForm* AutomationModuleTest::NewDialog() {
  rtl::TCustomForm* form = nullptr;
  std::int32_t kind = 0;
  const std::int32_t status = CreateModule(&form, &kind);
  EXPECT_EQ(status, 0) << "expected CreateModule to return 0, got " << status;
  return form;
}

void AutomationModuleTest::FreeDialog(rtl::TCustomForm* form) {
  const std::int32_t status = FreeModule(&form);
  EXPECT_EQ(status, 0) << "expected FreeModule to return 0, got " << status;
}

DialogRun AutomationModuleTest::Show(rtl::TCustomForm& form, std::vector<Step> steps) {
  DialogDriver driver(log_, std::move(steps));
  FrontEndScope scope(driver);
  DialogRun run;
  try {
    run.result = form.ShowModal();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "expected the dialog to show, got an exception: " << Readable(e.what());
  }
  run.stillOpen = driver.StillOpen();
  run.label6 = CaptionOf(form, "Label6");
  run.errorCount = ErrorCountOf(form);
  run.messages = driver.MessageTexts();
  run.kinds = driver.MessageKinds();
  EXPECT_EQ(driver.RemainingSteps(), 0u) << "expected every step to run, got " << driver.RemainingSteps()
                                         << " left when the dialog ended";
  return run;
}

DialogRun AutomationModuleTest::RunDialog(std::vector<Step> steps) {
  rtl::TCustomForm* form = NewDialog();
  if (form == nullptr) return {};
  DialogRun run = Show(*form, std::move(steps));
  FreeDialog(form);
  return run;
}

void AutomationModuleTest::Unload() { module_.reset(); }

bool AutomationModuleTest::LibraryIsLoaded() const {
  void* handle = dlopen(kAutomationLibrary, RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

void ExpectOpenUntouched(const DialogRun& run, const std::map<std::string, rtl::AnsiString>& edits) {
  ASSERT_TRUE(run.stillOpen.has_value()) << "expected the dialog open, got it ended with " << run.result;
  EXPECT_EQ(run.stillOpen->modalResult, 0) << "expected no modal result, got " << run.stillOpen->modalResult;
  EXPECT_EQ(run.stillOpen->edits, edits) << ExpectedGot(edits, run.stillOpen->edits);
  EXPECT_EQ(run.label6, "") << "expected Label6 empty, got " << Readable(run.label6);
  EXPECT_EQ(run.errorCount, 0) << "expected ErrorCount 0, got " << run.errorCount;
}

}  // namespace velmora::test
