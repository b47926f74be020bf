#include "host/SqlTrace.h"

#include "host/frontends/TerminalText.h"
#include "runtime/except/Exceptions.h"
#include "runtime/text/Unicode.h"

namespace host {
namespace {

// The statement as UTF-8; one that is no UTF-16 text is said to be so.
std::string Shown(const rtl::WideString& sql) {
  try {
    return TerminalUtf8(rtl::WideToUtf8(sql));
  } catch (const rtl::EConvertError&) {
    return "(not UTF-16 text)";
  }
}

}  // namespace

void SqlTrace::Queried(const char* call, const rtl::WideString& sql, std::size_t rows) {
  Line(call, sql, std::to_string(rows) + (rows == 1 ? " row" : " rows"));
}

void SqlTrace::Executed(const char* call, const rtl::WideString& sql) { Line(call, sql, "1 row changed"); }

void SqlTrace::Failed(const char* call, const rtl::WideString& sql, const std::string& detail) {
  Line(call, sql, "error: " + TerminalText(detail));
}

void SqlTrace::Line(const char* call, const rtl::WideString& sql, const std::string& outcome) {
  out_ << "velmora-host: sql: " << call << " " << Shown(sql) << " -> " << outcome << std::endl;
}

}  // namespace host
