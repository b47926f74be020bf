// The host's tables: P_User (UserCode, UserName, PassWord) and P_FunRight
// (UserCode, ModFunTyp, ModFunID), the demo data of a new database, and the
// lookups the host makes for the signed-in user.
#pragma once

#include <optional>
#include <string>

#include "host/Database.h"
#include "runtime/db/DataPacket.h"

namespace host {

// Demo users of a new database; both have the password "demo".
inline constexpr const char* kDemoUser = "demo";        // host-encoded password
inline constexpr const char* kDemoMd5User = "md5demo";  // MD5 digest password
inline constexpr const char* kDemoPassword = "demo";

// The database used when none is given; made with the schema and the demo
// users when absent.
inline constexpr const char* kDemoDatabase = "velmora-demo.db";

// Creates the tables; only for a database the host made (or the demo file).
void EnsureSchema(Database& db);
// Checks, reading only, that a database the host was given has the tables
// and columns the host uses (P_FunRight only withRights); raises
// DatabaseError naming the first one missing.
void CheckSchema(Database& db, bool withRights);
// Adds the demo users and their rights when P_User is empty.
void AddDemoData(Database& db);

struct UserRecord {
  std::string code;  // UTF-8, as stored
  std::string name;
};

std::optional<UserRecord> FindUser(Database& db, const std::string& code);

// The user's function rights as a data packet (ModFunTyp, ModFunID).
rtl::DataPacket RightsOf(Database& db, const std::string& code);

}  // namespace host
