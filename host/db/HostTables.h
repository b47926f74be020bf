// The host's tables: P_User (UserCode, UserName, PassWord) and P_FunRight
// (UserCode, ModFunTyp, ModFunID): making them in a database the host
// creates, checking them in one it was given, and the lookups the host
// makes for the signed-in user.
#pragma once

#include <optional>
#include <string>

#include "host/db/Connection.h"
#include "runtime/db/DataPacket.h"

namespace host {

// Creates the tables; only for a database the host made itself.
void CreateHostTables(Connection& db);
// Checks, reading only, that a database the host was given has the tables
// and columns the host uses (P_FunRight only withRights); raises
// DatabaseError naming the first one missing.
void CheckHostTables(Connection& db, bool withRights);

struct UserRecord {
  std::string code;  // UTF-8, as stored
  std::string name;
};

std::optional<UserRecord> FindUser(Connection& db, const std::string& code);

// The user's function rights as a data packet (ModFunTyp, ModFunID).
rtl::DataPacket RightsOf(Connection& db, const std::string& code);

}  // namespace host
