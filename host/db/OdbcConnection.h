// The host database on a server (or any data source) through ODBC, with the
// wide API throughout: texts go to the driver as UTF-16 and come back as
// UTF-16, converted from and to the host's UTF-8 strictly. Every transaction
// is ended explicitly (the connection never commits by itself): a read's
// transaction is ended by the next write's, or by EndReads before the host
// waits for the person, which saves a round trip per read. Every statement
// waits for a lock at most the host's lock timeout. A second
// statement in one text is found through SQLMoreResults and refused, its
// effects rolled back with the transaction.
#pragma once

#include <memory>
#include <string>

#include "host/db/Connection.h"
#include "host/db/OdbcCalls.h"

namespace host {

class OdbcConnection final : public Connection {
 public:
  // Seconds a statement waits for a lock (or runs) before it fails.
  static constexpr int kDefaultLockTimeout = 5;

  // Connects with a driver connection string ("DSN=...;UID=...;PWD=..." or
  // "Driver={...};Server=...;..."); raises DatabaseError with the driver's
  // words. calls is the seam for tests; null for the platform's ODBC.
  OdbcConnection(const std::string& connectionString, int lockTimeoutSeconds = kDefaultLockTimeout,
                 std::unique_ptr<OdbcCalls> calls = nullptr);
  ~OdbcConnection() override;

  // The data source without its password.
  std::string Describe() const override { return description_; }
  using Connection::Select;
  Table Select(const std::string& sql, const Params& params) override;
  using Connection::Execute;
  int Execute(const std::string& sql, const Params& params) override;
  // Found without regard to letter case, as unquoted names are.
  std::vector<std::string> ColumnsOf(const std::string& table) override;

  void Begin() override;
  void Commit() override;
  void Rollback() noexcept override;
  void EndReads() noexcept override;

 private:
  class Statement;
  Table Run(const std::string& sql, const Params& params, int* changed);
  void EndTransaction(SQLSMALLINT completion);
  void Close() noexcept;

  std::unique_ptr<OdbcCalls> calls_;
  std::string description_;
  int lockTimeout_;
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
  bool connected_ = false;
  bool inTransaction_ = false;  // begun by the caller
  bool readOpen_ = false;       // a read outside the caller's transactions left its own open
};

// The connection string's parts but its password, for messages.
std::string DescribeConnectionString(const std::string& connectionString);

}  // namespace host
