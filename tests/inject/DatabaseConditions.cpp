#include "tests/inject/DatabaseConditions.h"

#include <algorithm>

namespace velmora::test {

const char* NameOf(DbCondition condition) {
  static const char* const kNames[] = {"None",       "LockedExclusive", "LockedForWriting", "ReaderHoldsLock",
                                       "ReadOnly",   "FullMustGrow",    "FullInPlace",      "UserTableGone",
                                       "UserRowGone"};
  return kNames[static_cast<int>(condition)];
}

void DatabaseConditions::Impose(DbCondition condition) {
  host::SqliteConnection& db = db_.Db();
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
  host::SqliteConnection& db = db_.Db();
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

DatabaseState ReadState(const std::string& path) {
  host::SqliteConnection db(path, false);
  DatabaseState state;
  const auto add = [&state](const std::string& name, const host::Table& table) {
    for (const host::Row& row : table.rows) {
      std::string line = name + ":";
      for (std::size_t i = 0; i < row.size(); ++i) {
        line.append(" ").append(table.columns[i]).append("=").append(row[i] ? "'" + *row[i] + "'" : "NULL");
      }
      state.push_back(line);
    }
  };
  add("sqlite_master", db.Select("SELECT type, name, tbl_name, sql FROM sqlite_master"));
  for (const host::Row& row : db.Query("SELECT name FROM sqlite_master WHERE type = 'table'")) {
    add(*row[0], db.Select("SELECT * FROM \"" + *row[0] + "\""));
  }
  std::sort(state.begin(), state.end());
  return state;
}

// PassWord is the last column of P_User.
DatabaseState WithPassword(DatabaseState state, const std::string& code, const std::string& stored) {
  for (std::string& line : state) {
    if (line.starts_with("P_User: UserCode='" + code + "' ")) {
      line.erase(line.find(" PassWord=")).append(" PassWord='").append(stored).append("'");
    }
  }
  std::sort(state.begin(), state.end());
  return state;
}

::testing::AssertionResult SameState(const DatabaseState& expected, const DatabaseState& got) {
  const auto [e, g] = std::mismatch(expected.begin(), expected.end(), got.begin(), got.end());
  if (e == expected.end() && g == got.end()) return ::testing::AssertionSuccess();
  // A row for the message, cut short: a value may be a mebibyte long.
  const auto shown = [](auto row, auto end) { return row == end ? std::string("none") : row->substr(0, 160); };
  return ::testing::AssertionFailure() << "expected " << shown(e, expected.end()) << ", got " << shown(g, got.end());
}

}  // namespace velmora::test
