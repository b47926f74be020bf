// The libraries' lifetime around the host's mistakes and its exit: a process
// may end with an edition still loaded, with or without a dialog alive, and
// an edition unloaded with its dialogs alive takes them along, and only them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "host/loader/LoadedModule.h"
#include "host/services/AutomationServers.h"
#include "host/services/ContextHost.h"
#include "runtime/forms/Application.h"
#include "runtime/forms/Form.h"
#include "tests/support/ApplicationScreen.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Expectations.h"
#include "tests/support/LibraryPaths.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

struct ExitCase {
  std::string name;
  const char* library;
  const char* edition;
  const char* dialog;  // "dialog" or "none"
  const char* how;     // "return" or "exit"
};

void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.name; }

// Runs the probe; "exited with 0", else how it ended.
std::string RunProbe(const ExitCase& c) {
  const TempFolder capture;
  int status = 0;
  try {
    status = RunProgram({VELMORA_EXIT_PROBE, c.library, c.edition, c.dialog, c.how}, {}, capture.Path() + "/out",
                        capture.Path() + "/err");
  } catch (const std::exception&) {
    return "not started";
  }
  if (status < 0) return "ended abnormally";
  return "exited with " + std::to_string(status);
}

// Every edition, with and without a dialog, leaving main by return or exit.
std::vector<ExitCase> ExitCases() {
  std::vector<ExitCase> cases;
  for (const auto& [library, edition, editionName] : {std::tuple{kContextLibrary, "context", "Context"},
                                                      std::tuple{kAutomationLibrary, "automation", "Automation"}}) {
    for (const auto& [dialog, dialogName] : {std::pair{"none", "NoDialog"}, std::pair{"dialog", "Dialog"}}) {
      for (const auto& [how, howName] : {std::pair{"return", "Return"}, std::pair{"exit", "Exit"}}) {
        cases.push_back({std::string(editionName) + "_" + dialogName + "_" + howName, library, edition, dialog, how});
      }
    }
  }
  return cases;
}

class ProcessExit : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ProcessExit, WithAnEditionStillLoadedEndsCleanly) { EXPECT_EQ(RunProbe(GetParam()), "exited with 0"); }

INSTANTIATE_TEST_SUITE_P(Cases, ProcessExit, ::testing::ValuesIn(ExitCases()), CaseName());

// A form of no library, owned like the dialogs by the application object.
class ForeignForm final : public rtl::TForm {
 public:
  explicit ForeignForm(rtl::TComponent* owner) : TForm(owner) {}
};

// Both editions loaded at once, each with a dialog the host never freed.
class BothEditions : public ::testing::Test {
 protected:
  BothEditions() {
    db_.AddUser("demo", "stored");
    context_ = std::make_unique<host::ContextHost>(db_.Sql(), db_.User("demo"), screen_);
    servers_ = std::make_unique<host::AutomationServers>(db_.Sql(), db_.User("demo"), screen_);
  }

  TempDatabase db_;
  ApplicationScreen screen_;
  std::unique_ptr<host::ContextHost> context_;
  std::unique_ptr<host::AutomationServers> servers_;
};

TEST_F(BothEditions, UnloadingOneTakesOnlyItsOwnDialogsAlong) {
  auto contextLibrary = std::make_unique<host::LoadedModule>(kContextLibrary);
  auto automationLibrary = std::make_unique<host::LoadedModule>(kAutomationLibrary);
  rtl::TCustomForm* contextDialog = nullptr;
  rtl::TCustomForm* automationDialog = nullptr;
  std::int32_t kind = 0;
  ASSERT_EQ(contextLibrary->CreateModuleContext()(&contextDialog, 0, 0, 0, 0, 0, context_.get(), &kind), 0);
  ASSERT_EQ(automationLibrary->CreateModuleAutomation()(&automationDialog, 0, 0, 0, 0, 0, &kind), 0);
  const rtl::Owned<ForeignForm> foreign(new ForeignForm(rtl::Application));

  contextLibrary.reset();
  EXPECT_FALSE(rtl::Application->Owns(contextDialog)) << "expected the context dialog destroyed with its library";
  ASSERT_TRUE(rtl::Application->Owns(automationDialog)) << "expected the other edition's dialog kept";
  EXPECT_TRUE(rtl::Application->Owns(foreign.get())) << "expected a form of no library kept";
  EXPECT_EQ(automationLibrary->FreeModule()(&automationDialog), 0) << "expected the kept dialog still usable";
  automationLibrary.reset();
  EXPECT_EQ(rtl::Application->ComponentCount(), 1u);
}

}  // namespace
}  // namespace velmora::test
