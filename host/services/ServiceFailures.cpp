#include "host/services/ServiceFailures.h"

#include <cstdio>

#include "runtime/boundary/UserMessage.h"
#include "runtime/text/Gbk.h"

namespace host {

void ReportServiceFailure(const char* service) noexcept {
  try {
    std::fprintf(stderr, "velmora-host: %s failed: %s\n", service,
                 rtl::GbkToUtf8Display(rtl::DetailOfCurrentException()).c_str());
  } catch (...) {
    // Out of memory while reporting: the module still gets the failure.
  }
}

rtl::TAutoObject::Member ReportingFailures(const char* member, rtl::TAutoObject::Member body) {
  return [member, body = std::move(body)](std::span<rtl::Variant> args) {
    try {
      return body(args);
    } catch (const std::exception&) {
      ReportServiceFailure(member);
      throw;
    }
  };
}

}  // namespace host
