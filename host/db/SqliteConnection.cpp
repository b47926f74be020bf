#include "host/db/SqliteConnection.h"

#include <sqlite3.h>

#include <memory>

namespace host {
namespace {

struct StatementDeleter {
  void operator()(sqlite3_stmt* s) const noexcept { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

[[noreturn]] void Raise(sqlite3* db, const std::string& what) {
  throw DatabaseError(what + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory"));
}

bool OnlySpace(const char* tail) {
  for (; *tail != '\0'; ++tail) {
    if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';') return false;
  }
  return true;
}

Statement Prepare(sqlite3* db, const std::string& sql, const Params& params) {
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &raw, &tail) != SQLITE_OK) {
    Raise(db, "cannot prepare statement");
  }
  Statement statement(raw);
  if (statement == nullptr) throw DatabaseError("empty statement");
  // One statement only: text after it would be a second statement smuggled in.
  if (tail != nullptr && !OnlySpace(tail)) throw DatabaseError("more than one statement given");
  for (std::size_t i = 0; i < params.size(); ++i) {
    if (sqlite3_bind_text(raw, static_cast<int>(i + 1), params[i].data(), static_cast<int>(params[i].size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
      Raise(db, "cannot bind parameter");
    }
  }
  return statement;
}

}  // namespace

SqliteConnection::SqliteConnection(const std::string& path, bool create) : path_(path) {
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
    sqlite3_close(db_);
    db_ = nullptr;
    throw DatabaseError("cannot open database '" + path + "': " + message);
  }
  sqlite3_busy_timeout(db_, 250);
  sqlite3_extended_result_codes(db_, 1);
}

SqliteConnection::~SqliteConnection() { sqlite3_close(db_); }

Table SqliteConnection::Select(const std::string& sql, const Params& params) {
  Statement statement = Prepare(db_, sql, params);
  Table table;
  const int columnCount = sqlite3_column_count(statement.get());
  for (int c = 0; c < columnCount; ++c) {
    const char* name = sqlite3_column_name(statement.get(), c);
    table.columns.emplace_back(name != nullptr ? name : "");
  }
  std::vector<Row>& rows = table.rows;
  for (;;) {
    const int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) Raise(db_, "query failed");
    Row row;
    for (int c = 0; c < columnCount; ++c) {
      if (sqlite3_column_type(statement.get(), c) == SQLITE_NULL) {
        row.emplace_back();
      } else {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), c));
        row.emplace_back(std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement.get(), c))));
      }
    }
    rows.push_back(std::move(row));
  }
  return table;
}

int SqliteConnection::Execute(const std::string& sql, const Params& params) {
  Statement statement = Prepare(db_, sql, params);
  int rc = SQLITE_ROW;
  while (rc == SQLITE_ROW) rc = sqlite3_step(statement.get());
  if (rc != SQLITE_DONE) Raise(db_, "statement failed");
  return sqlite3_changes(db_);
}

void SqliteConnection::ExecuteScript(const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error != nullptr ? error : "unknown error";
    sqlite3_free(error);
    throw DatabaseError("script failed: " + message);
  }
}

std::vector<std::string> SqliteConnection::ColumnsOf(const std::string& table) {
  std::vector<std::string> names;
  for (const Row& row : Query("SELECT name FROM pragma_table_info(?)", {table})) names.push_back(row[0].value_or(""));
  return names;
}

void SqliteConnection::Begin() { Execute("BEGIN IMMEDIATE"); }
void SqliteConnection::Commit() { Execute("COMMIT"); }
void SqliteConnection::Rollback() noexcept {
  if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

}  // namespace host
