// The runtime's own table of servers by ProgID, inside the process.
#include <map>

#include "runtime/dispatch/ComServers.h"
#include "runtime/except/Exceptions.h"
#include "runtime/units/NoDestructor.h"

namespace rtl {
namespace {

using ServerTable = std::map<std::string, ComServerFactory>;

// The process-wide server table: the platform's class registry. Never
// destroyed: registrations may be withdrawn while the process exits.
ServerTable& Servers() {
  static NoDestructor<ServerTable> servers;
  return *servers;
}

std::string Key(std::string_view progId) { return UpperCase(progId); }

}  // namespace

// Nothing beyond the table entry.
struct ComServerRegistration::Platform {};

ComServerRegistration::ComServerRegistration(std::string progId, ComServerFactory factory, std::optional<ClassId>)
    : progId_(std::move(progId)) {
  auto [it, inserted] = Servers().emplace(Key(progId_), std::move(factory));
  if (!inserted) throw EOleSysError("Class '" + progId_ + "' is already registered", E_INVALIDARG);
}

ComServerRegistration::~ComServerRegistration() { Servers().erase(Key(progId_)); }

Variant CreateOleObject(std::string_view progId) {
  const auto it = Servers().find(Key(progId));
  if (it == Servers().end()) throw EOleSysError("Invalid class string", CO_E_CLASSSTRING);
  DispatchPtr object;
  HResult hr = E_UNEXPECTED;
  try {
    hr = it->second(object);
  } catch (...) {
    hr = CO_E_SERVER_EXEC_FAILURE;  // a factory that broke its promise not to raise
  }
  if (Failed(hr) || !object) {
    throw EOleSysError("Server execution failed for '" + AnsiString(progId) + "'",
                       Failed(hr) ? hr : CO_E_SERVER_EXEC_FAILURE);
  }
  return Variant(std::move(object));
}

DispatchPtr PlatformDispatch(DispatchPtr object) { return object; }

}  // namespace rtl
