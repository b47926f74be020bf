// A small SQLite connection: statements with bound text parameters, rows
// read as UTF-8 text, errors raised as DatabaseError with SQLite's message.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace host {

class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One value of a result row: absent for SQL NULL.
using Cell = std::optional<std::string>;
using Row = std::vector<Cell>;

struct Table {
  std::vector<std::string> columns;
  std::vector<Row> rows;
};

class Database {
 public:
  // Opens (creating when asked) the database file; raises DatabaseError.
  Database(const std::string& path, bool create);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  const std::string& Path() const noexcept { return path_; }
  // Runs one statement (no trailing second statement) and returns its rows.
  std::vector<Row> Query(const std::string& sql, const std::vector<std::string>& params = {});
  // The same, with the names of the result's columns.
  Table Select(const std::string& sql, const std::vector<std::string>& params = {});
  // Runs one statement and returns the number of rows it changed.
  int Execute(const std::string& sql, const std::vector<std::string>& params = {});
  // Runs several statements (schema scripts).
  void ExecuteScript(const std::string& sql);

  void Begin();
  void Commit();
  void Rollback() noexcept;

 private:
  std::string path_;
  sqlite3* db_ = nullptr;
};

}  // namespace host
