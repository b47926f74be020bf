#include "host/db/OdbcConnection.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "runtime/except/Exceptions.h"
#include "runtime/text/Text.h"
#include "runtime/text/Unicode.h"

namespace host {
namespace {

std::u16string Wide(const std::string& utf8) {
  try {
    return rtl::Utf8ToWide(utf8);
  } catch (const rtl::EConvertError&) {
    throw DatabaseError("text for the database is not UTF-8");
  }
}

std::string Utf8(const std::u16string& wide) {
  try {
    return rtl::WideToUtf8(wide);
  } catch (const rtl::EConvertError&) {
    throw DatabaseError("the database answered text that is not UTF-16");
  }
}

SQLWCHAR* Sql(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(text.data()); }

bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// The diagnostics of a handle, "[state] message" each; read before anything
// else is called on it, since most calls clear them.
std::string Diagnostics(OdbcCalls& calls, SQLSMALLINT type, SQLHANDLE handle) {
  std::string out;
  for (SQLSMALLINT record = 1; record <= 8; ++record) {
    SQLWCHAR state[6] = {};
    SQLWCHAR message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    if (!Succeeded(calls.GetDiagRec(type, handle, record, state, &native, message, 1024, &length))) break;
    const auto* text = reinterpret_cast<const char16_t*>(message);
    const std::u16string wide(text,
                              std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)), 1023));
    std::string utf8;
    try {
      utf8 = rtl::WideToUtf8(wide);
    } catch (const rtl::EConvertError&) {
      utf8 = "(a message that is not UTF-16)";
    }
    if (!out.empty()) out += "; ";
    // Appended piece by piece: GCC 12 under the sanitizers takes "[" + text for an overlapping copy.
    out.append("[").append(rtl::WideToUtf8(std::u16string(reinterpret_cast<const char16_t*>(state), 5)));
    out.append("] ").append(utf8);
  }
  return out.empty() ? "no diagnostics" : out;
}

// Splits "key=value;key={value;with;semicolons}" into its parts.
std::vector<std::pair<std::string, std::string>> Parts(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> parts;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t equals = text.find('=', at);
    if (equals == std::string::npos) break;
    std::string key = text.substr(at, equals - at);
    std::string value;
    at = equals + 1;
    if (at < text.size() && text[at] == '{') {
      // A braced value ends at the first "}" not doubled.
      for (++at; at < text.size(); ++at) {
        if (text[at] == '}') {
          if (at + 1 < text.size() && text[at + 1] == '}') {
            value += '}';
            ++at;
            continue;
          }
          ++at;
          break;
        }
        value += text[at];
      }
      at = text.find(';', at);
      at = at == std::string::npos ? text.size() : at + 1;
    } else {
      const std::size_t end = std::min(text.find(';', at), text.size());
      value = text.substr(at, end - at);
      at = end + 1;
    }
    key.erase(0, key.find_first_not_of(' '));
    parts.emplace_back(key, value);
  }
  return parts;
}

}  // namespace

std::string DescribeConnectionString(const std::string& connectionString) {
  std::string shown;
  for (const auto& [key, value] : Parts(connectionString)) {
    if (rtl::SameText(key, "PWD") || rtl::SameText(key, "PASSWORD")) continue;
    if (!shown.empty()) shown += ';';
    shown.append(key).append("=").append(value);
  }
  return "ODBC data source '" + shown.append("'");
}

// A statement handle, freed with its owner; its diagnostics name what failed.
class OdbcConnection::Statement {
 public:
  explicit Statement(OdbcConnection& connection) : calls_(*connection.calls_) {
    SQLHANDLE handle = SQL_NULL_HANDLE;
    if (!Succeeded(calls_.AllocHandle(SQL_HANDLE_STMT, connection.dbc_, &handle))) {
      throw DatabaseError("cannot make a statement: " + Diagnostics(calls_, SQL_HANDLE_DBC, connection.dbc_));
    }
    handle_ = handle;
    // A lock held elsewhere is waited for a bounded time, never for ever. A
    // driver that cannot bound it says so in its answer; the statement runs.
    calls_.SetStmtAttr(handle_, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(connection.lockTimeout_)), 0);
  }
  ~Statement() { calls_.FreeHandle(SQL_HANDLE_STMT, handle_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  SQLHSTMT Handle() const noexcept { return handle_; }
  // Raises DatabaseError for a call that failed (SQL_NO_DATA is no failure).
  SQLRETURN Check(SQLRETURN rc, const char* what) {
    if (Succeeded(rc) || rc == SQL_NO_DATA) return rc;
    throw DatabaseError(std::string(what) + ": " + Diagnostics(calls_, SQL_HANDLE_STMT, handle_));
  }

 private:
  OdbcCalls& calls_;
  SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

OdbcConnection::OdbcConnection(const std::string& connectionString, int lockTimeoutSeconds,
                               std::unique_ptr<OdbcCalls> calls)
    : calls_(calls != nullptr ? std::move(calls) : std::make_unique<OdbcCalls>()),
      description_(DescribeConnectionString(connectionString)),
      lockTimeout_(lockTimeoutSeconds) {
  std::u16string text = Wide(connectionString);
  try {
    if (!Succeeded(calls_->AllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_))) {
      env_ = SQL_NULL_HENV;
      throw DatabaseError("cannot reach the ODBC driver manager");
    }
    if (!Succeeded(calls_->SetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)) ||
        !Succeeded(calls_->AllocHandle(SQL_HANDLE_DBC, env_, &dbc_))) {
      dbc_ = SQL_NULL_HDBC;
      throw DatabaseError("cannot set up an ODBC connection: " + Diagnostics(*calls_, SQL_HANDLE_ENV, env_));
    }
    calls_->SetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT,
                           reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(lockTimeout_)), 0);
    if (!Succeeded(calls_->DriverConnect(dbc_, Sql(text), SQL_NTS, nullptr, 0, nullptr))) {
      throw DatabaseError("cannot connect to " + description_ + ": " + Diagnostics(*calls_, SQL_HANDLE_DBC, dbc_));
    }
    connected_ = true;
    // Every transaction ends where the host says.
    if (!Succeeded(calls_->SetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                                          reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_AUTOCOMMIT_OFF)), 0))) {
      throw DatabaseError("the ODBC driver cannot leave transactions to the host: " +
                          Diagnostics(*calls_, SQL_HANDLE_DBC, dbc_));
    }
  } catch (...) {
    Close();
    throw;
  }
}

OdbcConnection::~OdbcConnection() { Close(); }

void OdbcConnection::Close() noexcept {
  if (connected_) {
    calls_->EndTran(dbc_, SQL_ROLLBACK);
    calls_->Disconnect(dbc_);
    connected_ = false;
  }
  if (dbc_ != SQL_NULL_HDBC) calls_->FreeHandle(SQL_HANDLE_DBC, dbc_);
  if (env_ != SQL_NULL_HENV) calls_->FreeHandle(SQL_HANDLE_ENV, env_);
  dbc_ = SQL_NULL_HDBC;
  env_ = SQL_NULL_HENV;
}

Table OdbcConnection::Run(const std::string& sql, const Params& params, int* changed) {
  std::u16string text = Wide(sql);
  std::vector<std::u16string> values;
  values.reserve(params.size());
  for (const std::string& p : params) values.push_back(Wide(p));
  std::vector<SQLLEN> lengths(values.size());
  Statement statement(*this);
  for (std::size_t i = 0; i < values.size(); ++i) {
    lengths[i] = static_cast<SQLLEN>(values[i].size() * sizeof(char16_t));
    statement.Check(
        calls_->BindParameter(statement.Handle(), static_cast<SQLUSMALLINT>(i + 1),
                              std::max<SQLULEN>(values[i].size(), 1), Sql(values[i]), lengths[i], &lengths[i]),
        "cannot bind a parameter");
  }
  const SQLRETURN executed = statement.Check(
      calls_->ExecDirect(statement.Handle(), Sql(text), static_cast<SQLINTEGER>(text.size())), "statement failed");
  Table table;
  if (changed != nullptr) {
    SQLLEN count = 0;
    if (executed != SQL_NO_DATA) statement.Check(calls_->RowCount(statement.Handle(), &count), "statement failed");
    *changed = static_cast<int>(std::max<SQLLEN>(count, 0));
  }
  SQLSMALLINT columns = 0;
  statement.Check(calls_->NumResultCols(statement.Handle(), &columns), "cannot read the result");
  for (SQLUSMALLINT c = 1; c <= columns; ++c) {
    SQLWCHAR name[256] = {};
    SQLSMALLINT length = 0;
    statement.Check(calls_->DescribeCol(statement.Handle(), c, name, 256, &length), "cannot read the result");
    table.columns.push_back(Utf8(std::u16string(reinterpret_cast<const char16_t*>(name),
                                                static_cast<std::size_t>(std::clamp<SQLSMALLINT>(length, 0, 255)))));
  }
  while (columns > 0 && statement.Check(calls_->Fetch(statement.Handle()), "cannot read a row") != SQL_NO_DATA) {
    Row row;
    for (SQLUSMALLINT c = 1; c <= columns; ++c) {
      // Read in pieces: a value longer than the buffer comes in several.
      std::u16string value;
      bool null = false;
      for (;;) {
        char16_t buffer[512];
        SQLLEN indicator = 0;
        const SQLRETURN rc = statement.Check(calls_->GetData(statement.Handle(), c, buffer, sizeof buffer, &indicator),
                                             "cannot read a value");
        if (rc == SQL_NO_DATA) break;
        if (indicator == SQL_NULL_DATA) {
          null = true;
          break;
        }
        const std::size_t room = std::size(buffer) - 1;  // one unit for the terminator
        const bool whole = rc == SQL_SUCCESS && indicator != SQL_NO_TOTAL;
        const std::size_t units = whole ? std::min(static_cast<std::size_t>(indicator) / sizeof(char16_t), room) : room;
        value.append(buffer, units);
        if (whole) break;
      }
      row.push_back(null ? Cell() : Cell(Utf8(value)));
    }
    table.rows.push_back(std::move(row));
  }
  // One statement only: a second one in the same text has run as well, and
  // goes back with the transaction the caller rolls back.
  if (statement.Check(calls_->MoreResults(statement.Handle()), "statement failed") != SQL_NO_DATA) {
    throw DatabaseError("more than one statement given");
  }
  return table;
}

Table OdbcConnection::Select(const std::string& sql, const Params& params) {
  if (inTransaction_) return Run(sql, params, nullptr);
  // A read outside the caller's transactions leaves its own open, for the
  // next write or EndReads to end.
  try {
    Table table = Run(sql, params, nullptr);
    readOpen_ = true;
    return table;
  } catch (...) {
    Rollback();
    throw;
  }
}

int OdbcConnection::Execute(const std::string& sql, const Params& params) {
  int changed = 0;
  if (inTransaction_) {
    Run(sql, params, &changed);
    return changed;
  }
  try {
    Run(sql, params, &changed);
    EndTransaction(SQL_COMMIT);
    readOpen_ = false;
  } catch (...) {
    Rollback();
    throw;
  }
  return changed;
}

std::vector<std::string> OdbcConnection::ColumnsOf(const std::string& table) {
  // Whether the data source has such a table, its name compared without
  // regard to case (a server may fold unquoted names to lower case).
  bool found = false;
  {
    Statement statement(*this);
    std::u16string types = u"TABLE,VIEW";
    statement.Check(calls_->Tables(statement.Handle(), Sql(types)), "cannot list the tables");
    while (!found && statement.Check(calls_->Fetch(statement.Handle()), "cannot list the tables") != SQL_NO_DATA) {
      char16_t name[256];
      SQLLEN indicator = 0;
      statement.Check(calls_->GetData(statement.Handle(), 3, name, sizeof name, &indicator), "cannot list the tables");
      const std::size_t units =
          indicator < 0 ? 0 : std::min(static_cast<std::size_t>(indicator) / sizeof(char16_t), std::size(name) - 1);
      found = rtl::SameText(Utf8(std::u16string(name, units)), table);
    }
  }
  if (!inTransaction_) readOpen_ = true;
  if (!found) return {};
  // Its columns as a query sees them. The names come from the host itself,
  // never from outside, and are not quoted, so they fold as the module's do.
  return Select("SELECT * FROM " + table + " WHERE 1 = 0").columns;
}

// The caller's transaction goes on from a read left open.
void OdbcConnection::Begin() {
  inTransaction_ = true;
  readOpen_ = false;
}

void OdbcConnection::Commit() {
  inTransaction_ = false;
  readOpen_ = false;
  EndTransaction(SQL_COMMIT);
}

void OdbcConnection::Rollback() noexcept {
  inTransaction_ = false;
  readOpen_ = false;
  if (connected_) calls_->EndTran(dbc_, SQL_ROLLBACK);
}

void OdbcConnection::EndReads() noexcept {
  if (!readOpen_ || inTransaction_) return;
  readOpen_ = false;
  // Only reads went before: should the commit fail, nothing is lost, and a
  // connection that failed here tells the next statement so.
  if (!Succeeded(calls_->EndTran(dbc_, SQL_COMMIT))) calls_->EndTran(dbc_, SQL_ROLLBACK);
}

void OdbcConnection::EndTransaction(SQLSMALLINT completion) {
  if (!Succeeded(calls_->EndTran(dbc_, completion))) {
    throw DatabaseError("cannot end the transaction: " + Diagnostics(*calls_, SQL_HANDLE_DBC, dbc_));
  }
}

}  // namespace host
