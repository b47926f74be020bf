// The host's two SQL services, shared by the context object and the
// automation servers. Statements arrive as wide text.
#pragma once

#include <string>
#include <vector>

#include "host/Database.h"
#include "host/SessionLog.h"
#include "runtime/text/Text.h"

namespace host {

// Runs a query; raises rtl::EDatabaseError, with a text for the person (GBK),
// on any database error.
Table QueryWide(Database& db, const rtl::WideString& sql);

// Runs one statement in a transaction, committing only when exactly one row
// changed; raises rtl::EDatabaseError otherwise, keeping nothing.
void ExecuteWide(Database& db, const rtl::WideString& sql, SessionLog& log);

}  // namespace host
