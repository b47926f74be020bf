#include "host/db/HostTables.h"

#include <algorithm>
#include <initializer_list>

#include "runtime/text/Gbk.h"

namespace host {

void CreateHostTables(Connection& db) {
  db.Execute(
      "CREATE TABLE IF NOT EXISTS P_User ("
      "  UserCode TEXT PRIMARY KEY NOT NULL,"
      "  UserName TEXT NOT NULL DEFAULT '',"
      "  PassWord TEXT)");
  db.Execute(
      "CREATE TABLE IF NOT EXISTS P_FunRight ("
      "  UserCode TEXT NOT NULL,"
      "  ModFunTyp INTEGER NOT NULL,"
      "  ModFunID INTEGER NOT NULL)");
}

void CheckHostTables(Connection& db, bool withRights) {
  struct Needed {
    const char* name;
    std::initializer_list<const char*> columns;
  };
  const Needed users{"P_User", {"UserCode", "UserName", "PassWord"}};
  const Needed rights{"P_FunRight", {"UserCode", "ModFunTyp", "ModFunID"}};
  for (const Needed* table : {&users, withRights ? &rights : nullptr}) {
    if (table == nullptr) continue;
    const std::vector<std::string> columns = db.ColumnsOf(table->name);
    if (columns.empty()) throw DatabaseError(db.Describe() + " has no table " + table->name);
    for (const char* column : table->columns) {
      const bool found = std::any_of(columns.begin(), columns.end(),
                                     [&](const std::string& name) { return rtl::SameText(name, column); });
      if (!found) {
        throw DatabaseError("table " + std::string(table->name) + " of " + db.Describe() + " has no column " + column);
      }
    }
  }
}

std::optional<UserRecord> FindUser(Connection& db, const std::string& code) {
  const auto rows = db.Query("SELECT UserCode, UserName FROM P_User WHERE UserCode = ?", {code});
  if (rows.empty()) return std::nullopt;
  return UserRecord{rows[0][0].value_or(""), rows[0][1].value_or("")};
}

rtl::DataPacket RightsOf(Connection& db, const std::string& code) {
  rtl::DataPacket packet;
  packet.AddField("ModFunTyp", rtl::ftInteger).AddField("ModFunID", rtl::ftInteger);
  for (const Row& row : db.Query("SELECT ModFunTyp, ModFunID FROM P_FunRight WHERE UserCode = ?", {code})) {
    rtl::Row values;
    for (const Cell& cell : row) {
      values.push_back(cell ? rtl::Variant(rtl::StrToInt(*cell)) : rtl::Variant::Null());
    }
    packet.AppendRow(values);
  }
  return packet;
}

}  // namespace host
