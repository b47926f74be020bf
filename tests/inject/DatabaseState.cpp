#include "tests/inject/DatabaseState.h"

#include <algorithm>

namespace velmora::test {
namespace {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// A row for a failure message, cut short: a value may be a mebibyte long.
std::string Shown(const host::Row& row) {
  std::string out;
  for (const host::Cell& cell : row) out += (out.empty() ? "" : ", ") + (cell ? "'" + *cell + "'" : "NULL");
  return out.size() > 120 ? out.substr(0, 120) + "... (" + std::to_string(out.size()) + " bytes)" : out;
}

}  // namespace

DatabaseState ReadState(const std::string& path) {
  host::Database db(path, false);
  DatabaseState state;
  state.tables["sqlite_master"] = db.Select("SELECT type, name, tbl_name, sql FROM sqlite_master");
  for (const host::Row& row : db.Query("SELECT name FROM sqlite_master WHERE type = 'table'")) {
    state.tables[*row[0]] = db.Select("SELECT * FROM " + Quoted(*row[0]));
  }
  for (auto& [name, table] : state.tables) std::sort(table.rows.begin(), table.rows.end());
  return state;
}

DatabaseState WithPassword(DatabaseState state, const std::string& code, const std::string& stored) {
  host::Table& users = state.tables.at("P_User");
  const auto column = [&](const char* name) {
    return std::find(users.columns.begin(), users.columns.end(), name) - users.columns.begin();
  };
  const auto codeAt = column("UserCode");
  const auto passwordAt = column("PassWord");
  for (host::Row& row : users.rows) {
    if (row[static_cast<std::size_t>(codeAt)] == code) row[static_cast<std::size_t>(passwordAt)] = stored;
  }
  std::sort(users.rows.begin(), users.rows.end());
  return state;
}

::testing::AssertionResult SameState(const DatabaseState& expected, const DatabaseState& got) {
  for (const auto& [name, table] : expected.tables) {
    const auto it = got.tables.find(name);
    if (it == got.tables.end()) return ::testing::AssertionFailure() << "expected table " << name << ", got none";
    if (it->second.columns != table.columns) return ::testing::AssertionFailure() << "columns of " << name << " differ";
    const auto& rows = it->second.rows;
    for (std::size_t i = 0; i < std::max(rows.size(), table.rows.size()); ++i) {
      if (i < rows.size() && i < table.rows.size() && rows[i] == table.rows[i]) continue;
      return ::testing::AssertionFailure() << "table " << name << " row " << i << ": expected "
                                           << (i < table.rows.size() ? Shown(table.rows[i]) : "none") << ", got "
                                           << (i < rows.size() ? Shown(rows[i]) : "none");
    }
  }
  if (got.tables.size() != expected.tables.size()) {
    return ::testing::AssertionFailure() << "expected " << expected.tables.size() << " tables, got "
                                         << got.tables.size();
  }
  return ::testing::AssertionSuccess();
}

}  // namespace velmora::test
