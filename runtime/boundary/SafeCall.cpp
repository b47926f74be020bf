#include "runtime/boundary/SafeCall.h"

#include <cstdio>

#include "runtime/boundary/UserMessage.h"

namespace rtl {

HResult ResultFromCurrentException(ErrorInfo* info) noexcept {
  HResult code = E_UNEXPECTED;
  try {
    throw;
  } catch (const EOleSysError& e) {
    code = Failed(e.ErrorCode()) ? e.ErrorCode() : E_UNEXPECTED;
  } catch (const std::bad_alloc&) {
    code = E_OUTOFMEMORY;
  } catch (...) {
  }
  if (info != nullptr) {
    try {
      info->description = UserMessageOfCurrentException();
    } catch (...) {
      // Out of memory while reporting: the code alone still tells the caller.
    }
  }
  return code;
}

void SafeCallCheck(HResult hr, const ErrorInfo& info) {
  if (Succeeded(hr)) return;
  if (!info.description.empty()) throw EOleException(info.description, hr);
  char text[64];
  std::snprintf(text, sizeof text, "Call failed with code %08X", static_cast<unsigned>(hr));
  throw EOleSysError(text, hr);
}

}  // namespace rtl
