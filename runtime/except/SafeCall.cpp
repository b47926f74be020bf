#include "runtime/except/SafeCall.h"

#include <cstdio>

namespace rtl {

HResult ResultFromCurrentException(ErrorInfo* info) noexcept {
  HResult code = E_UNEXPECTED;
  const char* message = "";
  try {
    throw;
  } catch (const EOleSysError& e) {
    code = Failed(e.ErrorCode()) ? e.ErrorCode() : E_UNEXPECTED;
    message = e.what();
  } catch (const std::bad_alloc&) {
    code = E_OUTOFMEMORY;
    message = "Out of memory";
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
    message = "Unknown exception";
  }
  if (info != nullptr) {
    try {
      info->description = message;
    } catch (...) {
      // Out of memory while reporting: the code alone still tells the caller.
    }
  }
  return code;
}

void SafeCallCheck(HResult hr, const ErrorInfo& info) {
  if (Succeeded(hr)) return;
  if (!info.description.empty()) throw EOleException(info.description, hr, info.source);
  char text[64];
  std::snprintf(text, sizeof text, "Call failed with code %08X", static_cast<unsigned>(hr));
  throw EOleSysError(text, hr);
}

}  // namespace rtl
