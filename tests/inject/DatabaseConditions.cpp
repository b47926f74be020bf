#include "tests/inject/DatabaseConditions.h"

namespace velmora::test {

const char* NameOf(DbCondition condition) {
  static const char* const kNames[] = {"None",       "LockedExclusive", "LockedForWriting", "ReaderHoldsLock",
                                       "ReadOnly",   "FullMustGrow",    "FullInPlace",      "UserTableGone",
                                       "UserRowGone"};
  return kNames[static_cast<int>(condition)];
}

void DatabaseConditions::Impose(DbCondition condition) {
  host::Database& db = db_.Db();
  imposed_ = condition;
  switch (condition) {
    case DbCondition::None: break;
    case DbCondition::LockedExclusive:
    case DbCondition::LockedForWriting:
    case DbCondition::ReaderHoldsLock:
      other_ = db_.OpenConnection();
      other_->ExecuteScript(condition == DbCondition::LockedExclusive    ? "BEGIN EXCLUSIVE"
                            : condition == DbCondition::LockedForWriting ? "BEGIN IMMEDIATE"
                                                                         : "BEGIN; SELECT COUNT(*) FROM P_User");
      break;
    case DbCondition::ReadOnly: db.ExecuteScript("PRAGMA query_only = ON"); break;
    case DbCondition::FullMustGrow:
      db.ExecuteScript(
          "CREATE TABLE P_Audit (UserCode TEXT, Note BLOB);"
          "CREATE TRIGGER P_UserAudit AFTER UPDATE ON P_User BEGIN"
          "  INSERT INTO P_Audit VALUES (new.UserCode, zeroblob(65536)); END;");
      [[fallthrough]];
    case DbCondition::FullInPlace:
      db.ExecuteScript("PRAGMA max_page_count = " + *db.Query("PRAGMA page_count")[0][0]);
      break;
    case DbCondition::UserTableGone:
      userTable_ = *db.Query("SELECT sql FROM sqlite_master WHERE name = 'P_User'").at(0)[0];
      db.ExecuteScript("CREATE TABLE P_User_Kept AS SELECT * FROM P_User; DROP TABLE P_User");
      break;
    case DbCondition::UserRowGone:
      userRow_ = db.Query("SELECT UserCode, UserName, PassWord FROM P_User WHERE UserCode = ?", {user_}).at(0);
      db.Execute("DELETE FROM P_User WHERE UserCode = ?", {user_});
      break;
  }
}

void DatabaseConditions::Lift() {
  host::Database& db = db_.Db();
  switch (std::exchange(imposed_, DbCondition::None)) {
    case DbCondition::None: break;
    case DbCondition::LockedExclusive:
    case DbCondition::LockedForWriting:
    case DbCondition::ReaderHoldsLock:
      other_->Rollback();
      other_.reset();
      break;
    case DbCondition::ReadOnly: db.ExecuteScript("PRAGMA query_only = OFF"); break;
    case DbCondition::FullMustGrow: db.ExecuteScript("DROP TRIGGER P_UserAudit; DROP TABLE P_Audit"); [[fallthrough]];
    case DbCondition::FullInPlace: db.ExecuteScript("PRAGMA max_page_count = 1073741823"); break;
    case DbCondition::UserTableGone:
      db.ExecuteScript(userTable_ + "; INSERT INTO P_User SELECT * FROM P_User_Kept; DROP TABLE P_User_Kept");
      break;
    case DbCondition::UserRowGone:
      db.Execute("INSERT INTO P_User (UserCode, UserName, PassWord) VALUES (?, ?, ?)",
                 {userRow_[0].value_or(""), userRow_[1].value_or(""), userRow_[2].value_or("")});
      break;
  }
}

}  // namespace velmora::test
