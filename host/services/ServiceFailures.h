// How the host's services fail towards the module: the detail goes to the
// host's standard error, and the module receives the text for the person
// (GBK, Chinese) as the error's description, through the runtime's boundary.
#pragma once

#include <utility>

#include "runtime/boundary/SafeCall.h"
#include "runtime/dispatch/AutoObject.h"

namespace host {

// Writes "velmora-host: <service> failed: <detail>" to standard error for
// the exception being handled. Call from inside a catch block. Never raises.
void ReportServiceFailure(const char* service) noexcept;

// Runs a service of the host context inside the safecall boundary.
template <class Body>
rtl::HResult ServeModule(const char* service, Body&& body, rtl::ErrorInfo& error) noexcept {
  return rtl::SafeCallBoundary(
      [&] {
        try {
          std::forward<Body>(body)();
        } catch (...) {
          ReportServiceFailure(service);
          throw;
        }
      },
      &error);
}

// A member of an automation server whose failures are reported the same way.
rtl::TAutoObject::Member ReportingFailures(const char* member, rtl::TAutoObject::Member body);

}  // namespace host
