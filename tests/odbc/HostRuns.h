// The reference host over an ODBC data source, run the two ways a person
// meets it: in this process through the host's own pieces (the ODBC
// connection, the check of the host's tables, the user's lookup, the SQL
// service and the runner that shows the dialog), driven by test steps; and
// as the velmora-host program with --odbc, driven by a script.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/Runner.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/ModuleFixture.h"

namespace velmora::test {

// What each edition's dialog tells the person (GBK).
struct EditionTexts {
  const char* changed;   // information: the password was changed
  const char* wrongOld;  // the old password is wrong
  rtl::TMsgKind wrongOldKind;
  const char* differ;      // the new password and its confirmation differ
  const char* notChanged;  // the write failed
  rtl::TMsgKind notChangedKind;
  const char* cancel;  // the cancel button
};
const EditionTexts& TextsOf(Edition edition);
// The host's text when the dialog's query fails.
inline constexpr const char* kDatabaseFailed = "数据库访问出错，操作未完成。";

// Clicks into each password edit in turn, types the texts (GBK), and presses OK.
std::vector<Step> ChangeSteps(Edition edition, const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass,
                              const rtl::AnsiString& confirmPass);
std::vector<Step> ChangeSteps(Edition edition, const rtl::AnsiString& oldPass, const rtl::AnsiString& newPass);

// The stored form of a password (GBK) in each edition.
std::string StoredFormOf(Edition edition, const rtl::AnsiString& password);

struct InProcessRun {
  std::optional<host::Outcome> outcome;  // nullopt when the host stopped before the dialog
  std::string hostError;                 // why it stopped (English)
  std::vector<ShownMessage> shown;       // every message box, in order
  std::optional<FormState> stillOpen;    // the dialog when the steps ran out with it open
  std::string err;                       // standard error

  std::vector<rtl::AnsiString> Texts() const;
};

// The calls made to the ODBC layer so far, and the one made to fail.
struct CallCount {
  int failAt = 0;  // 1-based; 0 for none
  int calls = 0;
  std::string failed;  // the function that failed; empty when none did
};

// What a run may change about the host: its ODBC layer's calls fail as
// count says (the count is kept there), and an observer of the dialog's
// statements.
struct HostHooks {
  CallCount* count = nullptr;
  host::SqlObserver* observer = nullptr;
};

// Everything velmora-host --odbc does for a dialog, in this process: the
// edition's library loaded, the data source reached, the tables checked, the
// user found, the dialog shown through steps.
InProcessRun RunInProcess(Edition edition, const std::string& connection, const std::string& user,
                          std::vector<Step> steps, const HostHooks& hooks = {});

struct ProgramRun {
  int status = -1;  // the exit status; -1 when the program did not exit normally
  std::string out;  // standard output (UTF-8, lines ended by "\n")
  std::string err;
};
std::string Describe(const ProgramRun& run);

// The velmora-host program with the edition's library, --odbc connection,
// --user user and each command as a --do option.
ProgramRun RunProgramOver(Edition edition, const std::string& connection, const std::string& user,
                          const std::vector<std::string>& commands);
// The script that changes the password (UTF-8) in each edition.
std::vector<std::string> ChangeCommands(Edition edition, const std::string& oldPass, const std::string& newPass);

bool Contains(const std::string& text, const std::string& part);

// Seconds on the clock, for how long something took (<chrono> has a
// literal GBK cannot hold).
double Seconds();

// Seconds the host waits for a lock.
int HostLockTimeout();

}  // namespace velmora::test
