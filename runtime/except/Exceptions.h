// Exception classes of the toolkit runtime. Every error the runtime raises is
// an rtl::Exception carrying an 8-bit (GBK) message; a few carry a COM-style
// result code as well. Exceptions never cross a plug-in's exported entry
// points: see SafeCall.h.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "runtime/except/HResult.h"

namespace rtl {

using AnsiString = std::string;  // 8-bit text, GBK bytes

class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : message_(std::move(message)) {}
  const AnsiString& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  AnsiString message_;
};

class EConvertError : public Exception { using Exception::Exception; };
class EInvalidCast : public Exception { using Exception::Exception; };
class EInvalidOperation : public Exception { using Exception::Exception; };
class EVariantError : public Exception { using Exception::Exception; };
class EDatabaseError : public Exception { using Exception::Exception; };
class EComponentError : public Exception { using Exception::Exception; };
class EReadError : public Exception { using Exception::Exception; };
class EResNotFound : public Exception { using Exception::Exception; };
class EAccessViolation : public Exception { using Exception::Exception; };

// An automation error with a result code (an unregistered class string, a
// server that refuses to start, a failing late-bound call).
class EOleSysError : public Exception {
 public:
  EOleSysError(AnsiString message, HResult code) : Exception(std::move(message)), code_(code) {}
  HResult ErrorCode() const noexcept { return code_; }

 private:
  HResult code_;
};

// An exception reported by the server side of a late-bound call.
class EOleException : public EOleSysError {
 public:
  EOleException(AnsiString message, HResult code, AnsiString source)
      : EOleSysError(std::move(message), code), source_(std::move(source)) {}
  const AnsiString& Source() const noexcept { return source_; }

 private:
  AnsiString source_;
};

}  // namespace rtl
