#include "tests/odbc/DataSource.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "host/db/HostTables.h"
#include "host/db/OdbcCalls.h"
#include "host/db/OdbcConnection.h"
#include "host/db/SqliteConnection.h"
#include "runtime/text/Unicode.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Quoted(const host::Cell& cell) {
  if (!cell) return "NULL";
  std::string out = "'";
  for (const char c : *cell) out.append(c == '\'' ? "''" : std::string(1, c));
  return out + "'";
}

// Runs one statement on its own, outside any transaction (as CREATE
// DATABASE must), through the driver manager directly.
void RunOutsideTransaction(const std::string& connection, const std::string& sql) {
  host::OdbcCalls odbc;
  SQLHANDLE env = SQL_NULL_HANDLE, dbc = SQL_NULL_HANDLE, stmt = SQL_NULL_HANDLE;
  std::u16string text = rtl::Utf8ToWide(connection);
  std::u16string statement = rtl::Utf8ToWide(sql);
  const auto failed = [](SQLRETURN rc) { return rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO; };
  std::string error;
  const auto diagnose = [&](SQLSMALLINT type, SQLHANDLE handle) {
    SQLWCHAR state[6] = {};
    SQLWCHAR message[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    odbc.GetDiagRec(type, handle, 1, state, &native, message, 512, &length);
    error = sql + ": " + rtl::WideToUtf8(reinterpret_cast<const char16_t*>(message));
  };
  if (failed(odbc.AllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) throw std::runtime_error("no ODBC");
  odbc.SetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  odbc.AllocHandle(SQL_HANDLE_DBC, env, &dbc);
  if (failed(odbc.DriverConnect(dbc, reinterpret_cast<SQLWCHAR*>(text.data()), SQL_NTS, nullptr, 0, nullptr))) {
    diagnose(SQL_HANDLE_DBC, dbc);
  } else {
    odbc.AllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    if (failed(odbc.ExecDirect(stmt, reinterpret_cast<SQLWCHAR*>(statement.data()), SQL_NTS))) {
      diagnose(SQL_HANDLE_STMT, stmt);
    }
    odbc.FreeHandle(SQL_HANDLE_STMT, stmt);
    odbc.Disconnect(dbc);
  }
  odbc.FreeHandle(SQL_HANDLE_DBC, dbc);
  odbc.FreeHandle(SQL_HANDLE_ENV, env);
  if (!error.empty()) throw std::runtime_error(error);
}

// A database of its own on the test run's server, a copy of "velmora".
class PostgresSource final : public DataSource {
 public:
  PostgresSource() : server_(PostgresConnectionString()) {
    std::random_device random;
    std::ostringstream name;
    name << "velmora_" << std::hex << random() << random();
    name_ = name.str();
    RunOutsideTransaction(WithDatabase(server_, "postgres"), "CREATE DATABASE " + name_ + " TEMPLATE velmora");
    connection_ = WithDatabase(server_, name_);
    admin_ = std::make_unique<host::OdbcConnection>(connection_);
  }
  ~PostgresSource() override {
    admin_.reset();
    try {
      RunOutsideTransaction(WithDatabase(server_, "postgres"), "DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
    } catch (const std::exception&) {
      // Left to the server's removal at the end of the run.
    }
  }

  std::string ConnectionString() const override { return connection_; }
  host::Connection& Admin() override { return *admin_; }
  std::vector<std::string> Tables() override {
    std::vector<std::string> names;
    for (const host::Row& row :
         admin_->Query("SELECT table_name FROM information_schema.tables WHERE table_schema = 'public'")) {
      names.push_back(row[0].value_or(""));
    }
    return names;
  }

 private:
  std::string server_;
  std::string name_;
  std::string connection_;
  std::unique_ptr<host::OdbcConnection> admin_;
};

// An SQLite file with the host's tables, which the host reaches through
// SQLite's ODBC driver and the test directly.
class SqliteOdbcSource final : public DataSource {
 public:
  SqliteOdbcSource() : path_(folder_.Path() + "/host.db"), admin_(path_, true) { host::CreateHostTables(admin_); }

  std::string ConnectionString() const override { return "Driver={SQLite3};Database=" + path_; }
  host::Connection& Admin() override { return admin_; }
  std::vector<std::string> Tables() override {
    std::vector<std::string> names;
    for (const host::Row& row : admin_.Query("SELECT name FROM sqlite_master WHERE type = 'table'")) {
      names.push_back(row[0].value_or(""));
    }
    return names;
  }

 private:
  TempFolder folder_;
  std::string path_;
  host::SqliteConnection admin_;
};

}  // namespace

const char* NameOf(SourceKind kind) { return kind == SourceKind::PostgreSql ? "PostgreSql" : "SqliteOdbc"; }

std::unique_ptr<DataSource> DataSource::Make(SourceKind kind) {
  if (kind == SourceKind::PostgreSql) return std::make_unique<PostgresSource>();
  return std::make_unique<SqliteOdbcSource>();
}

std::unique_ptr<host::Connection> DataSource::OpenConnection() const {
  return std::make_unique<host::OdbcConnection>(ConnectionString());
}

DatabaseState DataSource::State() {
  DatabaseState state;
  for (const std::string& table : Tables()) {
    const host::Table content = Admin().Select("SELECT * FROM " + table);
    std::string columns;
    for (const std::string& column : content.columns) columns += (columns.empty() ? "" : ", ") + column;
    state.push_back("table " + table + " (" + columns.append(")"));
    for (const host::Row& row : content.rows) {
      std::string line = Lower(table) + ":";
      for (std::size_t i = 0; i < row.size(); ++i) {
        line += (i == 0 ? " " : ", ") + Lower(content.columns[i]) + "=" + Quoted(row[i]);
      }
      state.push_back(line);
    }
  }
  std::sort(state.begin(), state.end());
  return state;
}

void DataSource::AddUser(const std::string& code, const std::optional<std::string>& stored) {
  if (stored) {
    Admin().Execute("INSERT INTO P_User (UserCode, UserName, PassWord) VALUES (?, ?, ?)", {code, code, *stored});
  } else {
    Admin().Execute("INSERT INTO P_User (UserCode, UserName, PassWord) VALUES (?, ?, NULL)", {code, code});
  }
}

std::optional<std::string> DataSource::StoredPassword(const std::string& code) {
  const auto rows = Admin().Query("SELECT PassWord FROM P_User WHERE UserCode = ?", {code});
  if (rows.empty()) throw std::runtime_error("no user '" + code + "'");
  return rows[0][0];
}

std::string PostgresConnectionString() {
  std::ifstream file(VELMORA_POSTGRES_CONNECTION, std::ios::binary);
  std::string line;
  if (!file || !std::getline(file, line) || line.empty()) {
    throw std::runtime_error(std::string("no PostgreSQL server for the tests: ") + VELMORA_POSTGRES_CONNECTION +
                             " is missing (the test postgres.start makes it)");
  }
  if (line.back() == '\r') line.pop_back();
  return line;
}

std::string WithDatabase(const std::string& connection, const std::string& database) {
  const std::size_t at = connection.find("Database=");
  if (at == std::string::npos) return connection + ";Database=" + database;
  const std::size_t end = connection.find(';', at);
  return connection.substr(0, at) + "Database=" + database +
         (end == std::string::npos ? std::string() : connection.substr(end));
}

DatabaseState WithPassword(DatabaseState state, const std::string& code, const std::string& stored) {
  const std::string row = "p_user: usercode=" + Quoted(code) + ",";
  for (std::string& line : state) {
    if (!line.starts_with(row)) continue;
    const std::size_t at = line.find(", password=");
    if (at != std::string::npos) line = line.substr(0, at) + ", password=" + Quoted(stored);
  }
  std::sort(state.begin(), state.end());
  return state;
}

::testing::AssertionResult SameState(const DatabaseState& expected, const DatabaseState& got) {
  if (expected == got) return ::testing::AssertionSuccess();
  auto failure = ::testing::AssertionFailure();
  for (const std::string& line : expected) {
    if (std::find(got.begin(), got.end(), line) == got.end()) failure << "\n  missing: " << line;
  }
  for (const std::string& line : got) {
    if (std::find(expected.begin(), expected.end(), line) == expected.end()) failure << "\n  new:     " << line;
  }
  return failure;
}

}  // namespace velmora::test
