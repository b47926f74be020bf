// The boundary between a library and its caller. Entry points and host
// callbacks run their body inside SafeCallBoundary, which turns any exception
// into a failing result code (the COM safecall convention), so no exception
// ever crosses the boundary. Callers turn a failing code back into an
// exception on their own side with SafeCallCheck.
#pragma once

#include <new>

#include "runtime/except/Exceptions.h"
#include "runtime/except/HResult.h"

namespace rtl {

// What a failing boundary call reports besides its code. The description is
// the text for the person (GBK), as in COM; the detail stays on the side that
// failed.
struct ErrorInfo {
  AnsiString description;
};

// Maps the exception being handled to a result code and fills info's
// description with what the person is to be told (UserMessage.h).
// Must be called from inside a catch block.
HResult ResultFromCurrentException(ErrorInfo* info) noexcept;

template <class Body>
HResult SafeCallBoundary(Body&& body, ErrorInfo* info = nullptr) noexcept {
  try {
    body();
    return S_OK;
  } catch (...) {
    return ResultFromCurrentException(info);
  }
}

// Raises EOleException, whose text for the person is the description (or
// EOleSysError without a description), for a failing code.
void SafeCallCheck(HResult hr, const ErrorInfo& info);

}  // namespace rtl

namespace rtl {
// Makes a safecall-style call and raises its failure on the caller's side:
// call receives an ErrorInfo to fill and returns the status.
template <class Call>
void SafeCallRaise(Call&& call) {
  ErrorInfo info;
  const HResult hr = call(info);
  SafeCallCheck(hr, info);
}
}  // namespace rtl
