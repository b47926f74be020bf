#include "tests/support/ModuleFixture.h"

#include "host/loader/SharedLibrary.h"
#include "runtime/controls/Control.h"
#include "tests/support/FormLeakCheck.h"
#include "tests/support/LibraryPaths.h"

namespace velmora::test {

const EditionInfo& InfoOf(Edition edition) {
  static const EditionInfo context{"Context",
                                   kContextLibrary,
                                   "TEditLogPaswrdForm",
                                   velmora::ContextDisplayKind,
                                   {"edtOldPass", "edtNewPass", "edtConfirmPass"},
                                   "btnOK"};
  static const EditionInfo automation{"Automation",
                                      kAutomationLibrary,
                                      "TFrmCP",
                                      velmora::AutomationDisplayKind,
                                      {"EdtOldPass", "EdtNewPass", "EdtNewPass1"},
                                      "BtnModify"};
  return edition == Edition::Context ? context : automation;
}

::testing::AssertionResult Shows(const DialogRun& run, const std::vector<rtl::AnsiString>& messages) {
  if (run.messages == messages) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << ExpectedGot(messages, run.messages);
}

::testing::AssertionResult ShowsKinds(const DialogRun& run, const std::vector<rtl::TMsgKind>& kinds) {
  if (run.kinds == kinds) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << ExpectedGot(kinds, run.kinds) << " " << Readable(run.messages);
}

::testing::AssertionResult OpenWith(const DialogRun& run, const std::map<std::string, rtl::AnsiString>& edits) {
  if (!run.stillOpen)
    return ::testing::AssertionFailure() << "expected the dialog open, got it ended with " << run.result;
  if (run.stillOpen->edits != edits) return ::testing::AssertionFailure() << ExpectedGot(edits, run.stillOpen->edits);
  return ::testing::AssertionSuccess();
}

void ModuleTest::Load() { module_ = std::make_unique<host::LoadedModule>(InfoOf(edition_).library); }

void ModuleTest::TearDown() {
  // The forms' code goes away with the library: check for leftovers first.
  CheckNoFormsOwnedByApplication();
  Unload();
}

bool ModuleTest::LibraryIsLoaded() const { return host::platform::LibraryIsLoaded(InfoOf(edition_).library); }

std::int32_t ModuleTest::CreateModule(rtl::TCustomForm** form, std::int32_t* kind, std::array<std::int32_t, 5> i) {
  if (edition_ == Edition::Context) {
    return module_->CreateModuleContext()(form, i[0], i[1], i[2], i[3], i[4], context_, kind);
  }
  return module_->CreateModuleAutomation()(form, i[0], i[1], i[2], i[3], i[4], kind);
}

rtl::TCustomForm* ModuleTest::NewDialog() {
  rtl::TCustomForm* form = nullptr;
  std::int32_t kind = 0;
  EXPECT_EQ(CreateModule(&form, &kind), 0);
  return form;
}

void ModuleTest::FreeDialog(rtl::TCustomForm* form) { EXPECT_EQ(FreeModule(&form), 0); }

DialogRun ModuleTest::Show(rtl::TCustomForm& form, std::vector<Step> steps) {
  DialogDriver driver(std::move(steps));
  const rtl::FrontEndScope scope(driver);
  DialogRun run;
  try {
    run.result = form.ShowModal();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "expected the dialog to show, got an exception: " << Readable(e.what());
  }
  run.stillOpen = driver.StillOpen();
  for (const ShownMessage& message : driver.Messages()) {
    run.messages.push_back(message.text);
    run.kinds.push_back(message.kind);
  }
  if (const auto* label = dynamic_cast<const rtl::TControl*>(form.FindComponent("Label6"))) {
    run.label6 = label->Caption();
  }
  EXPECT_EQ(driver.RemainingSteps(), 0u) << "steps left when the dialog ended";
  return run;
}

DialogRun ModuleTest::RunDialog(std::vector<Step> steps) {
  rtl::TCustomForm* form = NewDialog();
  if (form == nullptr) return {};
  DialogRun run = Show(*form, std::move(steps));
  FreeDialog(form);
  return run;
}

std::vector<Step> ModuleTest::Fill(const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                                   const rtl::AnsiString& confirmPass, std::initializer_list<Step> then) const {
  const auto& e = InfoOf(edition_).edits;
  std::vector<Step> steps{Click(e[0]), Type(oldPass), Click(e[1]), Type(newPass), Click(e[2]), Type(confirmPass)};
  steps.insert(steps.end(), then.begin(), then.end());
  return steps;
}

std::map<std::string, rtl::AnsiString> ModuleTest::Edits(const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                                                         const rtl::AnsiString& confirmPass) const {
  const auto& e = InfoOf(edition_).edits;
  return {{e[0], oldPass}, {e[1], newPass}, {e[2], confirmPass}};
}

}  // namespace velmora::test
