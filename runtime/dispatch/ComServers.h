// The platform's table of automation servers by ProgID. A host registers a
// factory for each server it offers; CreateOleObject starts one by ProgID.
#pragma once

#include <functional>
#include <string>

#include "runtime/variant/Variant.h"

namespace rtl {

// Creates a new server object. Reports failure through its result code and
// leaves out empty; it must not raise.
using ComServerFactory = std::function<HResult(DispatchPtr& out)>;

// Registration of one ProgID for as long as the object lives.
class ComServerRegistration {
 public:
  ComServerRegistration(std::string progId, ComServerFactory factory);
  ~ComServerRegistration();
  ComServerRegistration(const ComServerRegistration&) = delete;
  ComServerRegistration& operator=(const ComServerRegistration&) = delete;

 private:
  std::string progId_;
};

// Starts the server registered under progId (letter case ignored, as the
// platform's registry does). Raises EOleSysError "Invalid class string" for an
// unknown ProgID, and EOleSysError with the factory's code when it fails.
Variant CreateOleObject(std::string_view progId);

}  // namespace rtl
