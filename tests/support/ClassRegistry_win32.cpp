#include <windows.h>

#include <stdexcept>

#include "tests/support/ClassRegistry.h"

namespace velmora::test {

std::string ClassKeyOf(const std::string& progId) {
  char value[64] = "";
  DWORD size = sizeof value;
  const std::string key = progId + "\\CLSID";
  if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return "";
  }
  return value;
}

void LeaveClassKey(const std::string& progId, const std::string& clsid) {
  HKEY key = nullptr;
  const std::string path = progId + "\\CLSID";
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    throw std::runtime_error("cannot write the key of " + progId);
  }
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid.c_str()),
                 static_cast<DWORD>(clsid.size() + 1));
  RegCloseKey(key);
}

}  // namespace velmora::test
