// The platform's automation servers by ProgID. A host registers a factory
// for each server it offers; CreateOleObject starts one by ProgID.
//
// On Windows these are the platform's own: a registration is a class object
// registered with CoRegisterClassObject and the ProgID's CLSID key, and
// CreateOleObject goes through CLSIDFromProgID and CoCreateInstance, so the
// objects it returns are real IDispatch references and every late-bound call
// goes through IDispatch::GetIDsOfNames and Invoke. Elsewhere the table is
// the runtime's own, inside the process.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "runtime/variant/Variant.h"

namespace rtl {

// A class identifier (GUID) in the platform's layout.
struct ClassId {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};
  bool operator==(const ClassId&) const = default;
};

// Creates a new server object. Reports failure through its result code and
// leaves out empty; it must not raise.
using ComServerFactory = std::function<HResult(DispatchPtr& out)>;

// Registration of one ProgID for as long as the object lives. A second
// registration of a ProgID this process already serves raises EOleSysError
// (E_INVALIDARG). classId is the server's fixed CLSID; without one, a CLSID
// is derived from the ProgID. On Windows the ProgID's key is written at
// registration, replacing whatever an earlier process left there, and
// removed when the registration ends.
class ComServerRegistration {
 public:
  ComServerRegistration(std::string progId, ComServerFactory factory, std::optional<ClassId> classId = std::nullopt);
  ~ComServerRegistration();
  ComServerRegistration(const ComServerRegistration&) = delete;
  ComServerRegistration& operator=(const ComServerRegistration&) = delete;

  struct Platform;  // what the platform keeps for the registration

 private:
  std::string progId_;
  std::unique_ptr<Platform> platform_;
};

// Starts the server registered under progId (letter case ignored, as the
// platform's registry does). Raises EOleSysError "Invalid class string" for an
// unknown ProgID, and EOleSysError with the factory's code when it fails.
// On Windows the calling thread's COM is initialised first when it has not
// been (see Apartment.h).
Variant CreateOleObject(std::string_view progId);

// The object as the platform hands automation objects from one module to
// another: on Windows a real IDispatch implemented over it, so that calls on
// the result go through the platform's late binding; elsewhere the object
// itself.
DispatchPtr PlatformDispatch(DispatchPtr object);

}  // namespace rtl
