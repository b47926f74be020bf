#include "host/HostDatabase.h"

#include <algorithm>
#include <initializer_list>

#include "host/Encoding.h"
#include "runtime/text/Gbk.h"

namespace host {

void EnsureSchema(Database& db) {
  db.ExecuteScript(
      "CREATE TABLE IF NOT EXISTS P_User ("
      "  UserCode TEXT PRIMARY KEY NOT NULL,"
      "  UserName TEXT NOT NULL DEFAULT '',"
      "  PassWord TEXT);"
      "CREATE TABLE IF NOT EXISTS P_FunRight ("
      "  UserCode TEXT NOT NULL,"
      "  ModFunTyp INTEGER NOT NULL,"
      "  ModFunID INTEGER NOT NULL);");
}

void CheckSchema(Database& db, bool withRights) {
  struct Needed {
    const char* name;
    std::initializer_list<const char*> columns;
  };
  const Needed users{"P_User", {"UserCode", "UserName", "PassWord"}};
  const Needed rights{"P_FunRight", {"UserCode", "ModFunTyp", "ModFunID"}};
  for (const Needed* table : {&users, withRights ? &rights : nullptr}) {
    if (table == nullptr) continue;
    // Table and column names are case-insensitive in SQLite, so they are here.
    const auto columns = db.Query("SELECT name FROM pragma_table_info(?)", {table->name});
    if (columns.empty()) throw DatabaseError("database '" + db.Path() + "' has no table " + table->name);
    for (const char* column : table->columns) {
      const bool found = std::any_of(columns.begin(), columns.end(),
                                     [&](const Row& row) { return row[0] && rtl::SameText(*row[0], column); });
      if (!found) {
        throw DatabaseError("table " + std::string(table->name) + " of database '" + db.Path() + "' has no column " +
                            column);
      }
    }
  }
}

void AddDemoData(Database& db) {
  if (db.Query("SELECT COUNT(*) FROM P_User")[0][0].value_or("0") != "0") return;
  db.Begin();
  try {
    db.Execute("INSERT INTO P_User (UserCode, UserName, PassWord) VALUES (?, ?, ?)",
               {kDemoUser, reinterpret_cast<const char*>(u8"演示用户"), EncodeHostPassword(kDemoPassword)});
    db.Execute("INSERT INTO P_User (UserCode, UserName, PassWord) VALUES (?, ?, ?)",
               {kDemoMd5User, reinterpret_cast<const char*>(u8"演示用户（摘要）"), Md5Hex(kDemoPassword)});
    struct Right {
      const char* type;
      const char* id;
    };
    for (const Right& right : {Right{"3", "101"}, Right{"3", "102"}, Right{"1", "103"}}) {
      db.Execute("INSERT INTO P_FunRight (UserCode, ModFunTyp, ModFunID) VALUES (?, ?, ?)",
                 {kDemoUser, right.type, right.id});
    }
    db.Commit();
  } catch (...) {
    db.Rollback();
    throw;
  }
}

std::optional<UserRecord> FindUser(Database& db, const std::string& code) {
  const auto rows = db.Query("SELECT UserCode, UserName FROM P_User WHERE UserCode = ?", {code});
  if (rows.empty()) return std::nullopt;
  return UserRecord{rows[0][0].value_or(""), rows[0][1].value_or("")};
}

rtl::DataPacket RightsOf(Database& db, const std::string& code) {
  rtl::DataPacket packet;
  packet.AddField("ModFunTyp", rtl::ftInteger).AddField("ModFunID", rtl::ftInteger);
  for (const Row& row :
       db.Query("SELECT ModFunTyp, ModFunID FROM P_FunRight WHERE UserCode = ? ORDER BY rowid", {code})) {
    rtl::Row values;
    for (const Cell& cell : row) {
      values.push_back(cell ? rtl::Variant(rtl::StrToInt(*cell)) : rtl::Variant::Null());
    }
    packet.AppendRow(values);
  }
  return packet;
}

}  // namespace host
