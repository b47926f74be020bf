// --trace-sql: every statement a module sends, as the host receives it, one
// line each on standard error with the call that carried it and how it
// went: "velmora-host: sql: <call> <statement> -> <rows, or the error>".
// The statement is shown as UTF-8 with control characters masked.
#pragma once

#include <ostream>

#include "host/services/ModuleSql.h"

namespace host {

class SqlTrace final : public SqlObserver {
 public:
  explicit SqlTrace(std::ostream& out) : out_(out) {}
  void Queried(const char* call, const rtl::WideString& sql, std::size_t rows) override;
  void Executed(const char* call, const rtl::WideString& sql) override;
  void Failed(const char* call, const rtl::WideString& sql, const std::string& detail) override;

 private:
  void Line(const char* call, const rtl::WideString& sql, const std::string& outcome);

  std::ostream& out_;
};

}  // namespace host
