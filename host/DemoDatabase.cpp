#include "host/DemoDatabase.h"

#include "host/db/HostTables.h"
#include "host/services/PasswordEncoding.h"

namespace host {
namespace {

void AddDemoData(Connection& db) {
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

}  // namespace

std::unique_ptr<SqliteConnection> OpenDemoDatabase(const std::string& path) {
  auto db = std::make_unique<SqliteConnection>(path, true);
  CreateHostTables(*db);
  AddDemoData(*db);
  return db;
}

}  // namespace host
