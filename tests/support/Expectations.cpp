#include "tests/support/Expectations.h"

#include "runtime/text/Gbk.h"
#include "runtime/text/Unicode.h"

namespace velmora::test {

// Built by appending: GCC 12 warns wrongly (-Wrestrict) about chained +.
std::string Readable(const rtl::AnsiString& gbk) {
  std::string out(1, '"');
  out.append(rtl::GbkToUtf8Display(gbk)).push_back('"');
  return out;
}

std::string Readable(const rtl::WideString& wide) {
  std::string out("u\"");
  out.append(rtl::WideToUtf8(wide)).push_back('"');
  return out;
}

std::string Readable(rtl::TMsgKind kind) {
  return kind == rtl::TMsgKind::Information ? "information" : kind == rtl::TMsgKind::Warning ? "warning" : "error";
}

}  // namespace velmora::test
