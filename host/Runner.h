// Running a Velmora library's dialog once: CreateModule with the host's
// services, show it modally, FreeModule; and what that came to.
#pragma once

#include <optional>
#include <stdexcept>

#include "host/db/HostTables.h"
#include "host/loader/Edition.h"
#include "host/loader/LoadedModule.h"
#include "host/services/ModuleSql.h"
#include "runtime/forms/FrontEnd.h"

namespace host {

class HostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Outcome {
  Changed = 0,    // the signed-in user's password was written
  Cancelled = 1,  // the dialog was closed with nothing written
  Failed = 2,     // the dialog gave up after an alert, could not be shown, or the input ran out
};

// What the runner saw of one showing.
struct DialogEnd {
  std::optional<int> modalResult;  // what ShowModal returned; nullopt when the dialog could not be shown
  bool inputRanOut = false;        // the front end's input ended with the dialog still open
  bool closedAfterAlert = false;   // the dialog closed itself in the same input that made it warn
  int writes = 0;                  // writes the SQL service kept: each rewrote the user's row
};

// The one place that says what a showing came to.
Outcome OutcomeOf(const DialogEnd& end);

// Shows the library's dialog for user through frontEnd, the module served
// by the host's services over sql. Raises HostError when an entry point
// fails; a ScriptError of a scripted front end passes through, the dialog
// freed first.
Outcome RunDialog(const LoadedModule& module, Edition edition, ModuleSql& sql, const UserRecord& user,
                  rtl::TFrontEnd& frontEnd);

}  // namespace host
