// A connection to the host database, as the host uses it: one statement per
// call (a second statement in the same text is refused), text parameters
// bound by position, values read back as UTF-8 text, and transactions the
// caller begins and ends. Any failure raises DatabaseError with the back
// end's own words. Names of tables and columns match without regard to
// letter case, as SQL has them.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace host {

class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One value of a result row: absent for SQL NULL.
using Cell = std::optional<std::string>;
using Row = std::vector<Cell>;
using Params = std::vector<std::string>;

struct Table {
  std::vector<std::string> columns;  // as the result names them
  std::vector<Row> rows;
};

class Connection {
 public:
  virtual ~Connection() = default;
  Connection() = default;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // What the connection reaches, for messages: a file, a data source.
  virtual std::string Describe() const = 0;
  // Runs one statement and returns its result's columns and rows.
  virtual Table Select(const std::string& sql, const Params& params) = 0;
  // Runs one statement and returns the number of rows it changed.
  virtual int Execute(const std::string& sql, const Params& params) = 0;
  // The names of a table's columns; empty when there is no such table.
  virtual std::vector<std::string> ColumnsOf(const std::string& table) = 0;

  // A transaction the caller begins is ended by Commit or Rollback; reads
  // made before it in the same transaction (see EndReads) go with it.
  virtual void Begin() = 0;
  virtual void Commit() = 0;
  // Ends an open transaction keeping nothing; does nothing without one.
  virtual void Rollback() noexcept = 0;
  // A back end may leave the transaction of a read open, to end it with the
  // next write or here. The host calls this before it waits for the person,
  // so that no transaction is ever held while someone is being asked.
  virtual void EndReads() noexcept {}

  Table Select(const std::string& sql) { return Select(sql, {}); }
  std::vector<Row> Query(const std::string& sql, const Params& params = {}) { return Select(sql, params).rows; }
  int Execute(const std::string& sql) { return Execute(sql, {}); }
};

}  // namespace host
