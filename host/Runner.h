// Running a Velmora library's dialog once: CreateModule, show it modally,
// FreeModule; and reading the outcome from what happened.
#pragma once

#include <stdexcept>
#include <string>

#include "host/Database.h"
#include "host/HostDatabase.h"
#include "host/HostFrontEnd.h"
#include "host/LibraryResources.h"
#include "host/ModuleLoader.h"
#include "host/SessionLog.h"

namespace host {

class HostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The two editions, each by the display kind its CreateModule writes.
enum class Edition : std::int32_t {
  Context = velmora::ContextDisplayKind,
  Automation = velmora::AutomationDisplayKind,
};

// The edition the library's resources declare; raises HostError when they
// declare none the host knows.
Edition DetectEdition(const rtl::ResourceDirectory& resources);
const char* EditionName(Edition edition);

enum class Outcome {
  Changed = 0,    // the signed-in user's password was written
  Cancelled = 1,  // the dialog was closed with nothing written
  Failed = 2,     // the dialog gave up after an alert, failed to show, or input ran out
};

// Shows the library's dialog for user through frontEnd. Raises HostError
// when an entry point fails.
Outcome RunDialog(const LoadedModule& module, Edition edition, Database& db, const UserRecord& user,
                  HostFrontEnd& frontEnd, SessionLog& log);

}  // namespace host
