// The platform's class registry as a test sees it from outside a host: the
// ProgID keys a host writes while it serves its classes (Windows only).
#pragma once

#include <string>

namespace velmora::test {

// The CLSID text under HKEY_CLASSES_ROOT\<progId>\CLSID, or "" when the
// ProgID has no key.
std::string ClassKeyOf(const std::string& progId);
// Writes a key as a host that crashed would have left it.
void LeaveClassKey(const std::string& progId, const std::string& clsid);

}  // namespace velmora::test
