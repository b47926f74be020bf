// The SQL a module sends through the host, shared by the context object and
// the automation servers. Statements arrive as wide text. A query answers
// its rows; a write runs one statement in a transaction that is kept only
// when it changed exactly one row, so a failure is never reported as
// success and nothing is half-written. Failures raise rtl::EDatabaseError
// with a text for the person (GBK) and the detail.
#pragma once

#include <string>

#include "host/db/Connection.h"
#include "runtime/text/Text.h"

namespace host {

// Told of every statement and how it went, e.g. to trace them.
class SqlObserver {
 public:
  virtual ~SqlObserver() = default;
  // call: the module's call that carried the statement (OpenSQL, ExecSQL, Opensql, Execsql).
  virtual void Queried(const char* call, const rtl::WideString& sql, std::size_t rows) = 0;
  virtual void Executed(const char* call, const rtl::WideString& sql) = 0;  // one row changed and kept
  virtual void Failed(const char* call, const rtl::WideString& sql, const std::string& detail) = 0;
};

class ModuleSql {
 public:
  explicit ModuleSql(Connection& db, SqlObserver* observer = nullptr) : db_(db), observer_(observer) {}

  Connection& Db() noexcept { return db_; }
  Table Query(const char* call, const rtl::WideString& sql);
  void Execute(const char* call, const rtl::WideString& sql);
  // The writes kept so far: each rewrote exactly one row.
  int Writes() const noexcept { return writes_; }

 private:
  int Run(const std::string& utf8);

  Connection& db_;
  SqlObserver* observer_;
  int writes_ = 0;
};

}  // namespace host
