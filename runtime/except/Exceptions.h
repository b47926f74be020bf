// Exception classes of the toolkit runtime. Every error the runtime raises is
// an rtl::Exception carrying two texts: its message, the detail of what went
// wrong for standard error and the developer (what() returns it), and what
// the person is to be told, in Chinese (GBK). A raiser that knows what to
// tell the person gives that text; otherwise the person gets the general
// text of the exception's class (boundary/UserMessage.h). A few exceptions carry a
// COM-style result code as well. Exceptions never cross a plug-in's exported
// entry points: see boundary/SafeCall.h.
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
  Exception(AnsiString message, AnsiString userMessage)
      : message_(std::move(message)), userMessage_(std::move(userMessage)) {}
  const AnsiString& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }
  // The raiser's own text for the person; empty when it left that to the
  // general text of the exception's class.
  const AnsiString& UserMessage() const noexcept { return userMessage_; }

 private:
  AnsiString message_;
  AnsiString userMessage_;
};

class EConvertError : public Exception {
  using Exception::Exception;
};
class EInvalidCast : public Exception {
  using Exception::Exception;
};
class EInvalidOperation : public Exception {
  using Exception::Exception;
};
class EVariantError : public Exception {
  using Exception::Exception;
};
class EDatabaseError : public Exception {
  using Exception::Exception;
};
class EComponentError : public Exception {
  using Exception::Exception;
};
class EReadError : public Exception {
  using Exception::Exception;
};
class EResNotFound : public Exception {
  using Exception::Exception;
};

// An automation error with a result code (an unregistered class string, a
// server that refuses to start, a failing late-bound call).
class EOleSysError : public Exception {
 public:
  EOleSysError(AnsiString message, HResult code, AnsiString userMessage = {})
      : Exception(std::move(message), std::move(userMessage)), code_(code) {}
  HResult ErrorCode() const noexcept { return code_; }

 private:
  HResult code_;
};

// An exception reported by the server side of a late-bound call or a
// safecall boundary. Its description is the server's text for the person.
class EOleException : public EOleSysError {
 public:
  EOleException(const AnsiString& description, HResult code) : EOleSysError(description, code, description) {}
};

}  // namespace rtl
