// The data sources the ODBC tests run the host against, each a database of
// the test's own with the host's tables: a database on the throwaway
// PostgreSQL server the test run starts (copied from its "velmora"
// database, dropped again with the object), or an SQLite file reached
// through SQLite's ODBC driver. The test reads and shapes the database
// through a connection of its own; the host gets the connection string.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/db/Connection.h"

namespace velmora::test {

enum class SourceKind { PostgreSql, SqliteOdbc };
const char* NameOf(SourceKind kind);
inline void PrintTo(SourceKind kind, std::ostream* os) { *os << NameOf(kind); }

// The whole content of a database: a line per table with its columns, and a
// line per row ("table: value, value"), sorted.
using DatabaseState = std::vector<std::string>;

class DataSource {
 public:
  virtual ~DataSource() = default;
  DataSource() = default;
  DataSource(const DataSource&) = delete;
  DataSource& operator=(const DataSource&) = delete;

  // A new database of that kind; raises std::runtime_error when the source
  // cannot be reached (for PostgreSQL: the test run's server is not up).
  static std::unique_ptr<DataSource> Make(SourceKind kind);

  // The ODBC connection string the host is given.
  virtual std::string ConnectionString() const = 0;
  // The test's own connection to the database.
  virtual host::Connection& Admin() = 0;
  // Another connection to the database, as the host makes it (ODBC).
  std::unique_ptr<host::Connection> OpenConnection() const;
  // The names of the database's tables.
  virtual std::vector<std::string> Tables() = 0;

  DatabaseState State();
  // Adds a user whose PassWord holds exactly stored (NULL when absent).
  void AddUser(const std::string& code, const std::optional<std::string>& stored);
  std::optional<std::string> StoredPassword(const std::string& code);
};

// The connection string of the test run's PostgreSQL server (its "velmora"
// database), as tools/postgres.sh wrote it; raises when there is none.
std::string PostgresConnectionString();
// connection with its Database part replaced by database.
std::string WithDatabase(const std::string& connection, const std::string& database);

// state with the PassWord of the P_User row of code replaced by stored.
DatabaseState WithPassword(DatabaseState state, const std::string& code, const std::string& stored);
// Success when both states hold the same lines; else names the differences.
::testing::AssertionResult SameState(const DatabaseState& expected, const DatabaseState& got);

}  // namespace velmora::test
