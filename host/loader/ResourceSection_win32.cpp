// On Windows the library is mapped as a data file (nothing of it runs), its
// resources are enumerated and read with the platform's resource functions
// and laid out as the runtime's resource blob.
#include <windows.h>

#include <cstring>

#include "host/loader/ResourceSection.h"
#include "host/loader/win32/SystemText.h"

namespace host {
namespace {

struct Found {
  std::uint16_t type = 0;
  std::uint16_t language = 0;
  std::string name;  // empty for a resource known by id
  std::uint32_t id = 0;
  std::vector<std::uint8_t> data;
};

struct Enumeration {
  std::vector<Found> found;
  bool failed = false;
};

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR param) {
  auto& e = *reinterpret_cast<Enumeration*>(param);
  try {
    HRSRC resource = FindResourceExW(module, type, name, language);
    HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
    const auto* data = static_cast<const std::uint8_t*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (data == nullptr) {
      e.failed = true;
      return FALSE;
    }
    Found f;
    f.type = static_cast<std::uint16_t>(reinterpret_cast<ULONG_PTR>(type));
    f.language = language;
    if (IS_INTRESOURCE(name)) {
      f.id = static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(name));
    } else {
      for (const wchar_t* c = name; *c != 0; ++c) f.name += static_cast<char>(*c < 0x80 ? *c : '?');
    }
    f.data.assign(data, data + SizeofResource(module, resource));
    e.found.push_back(std::move(f));
    return TRUE;
  } catch (...) {
    e.failed = true;
    return FALSE;
  }
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  EnumResourceLanguagesW(module, type, name, OnLanguage, param);
  return !reinterpret_cast<Enumeration*>(param)->failed;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR param) {
  // Only the numbered types; a named type is nothing the runtime looks up.
  if (IS_INTRESOURCE(type)) EnumResourceNamesW(module, type, OnName, param);
  return !reinterpret_cast<Enumeration*>(param)->failed;
}

void Put(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t value, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// "VRES", the count, the entries, then names and data (aligned to four).
std::vector<std::uint8_t> Blob(const std::vector<Found>& found) {
  std::vector<std::uint8_t> b{'V', 'R', 'E', 'S', 0, 0, 0, 0};
  Put(b, 4, static_cast<std::uint32_t>(found.size()), 4);
  b.resize(8 + 20 * found.size());
  for (std::size_t i = 0; i < found.size(); ++i) {
    const Found& f = found[i];
    const std::size_t at = 8 + 20 * i;
    Put(b, at, f.type, 2);
    Put(b, at + 2, f.language, 2);
    if (!f.name.empty()) {
      Put(b, at + 4, static_cast<std::uint32_t>(b.size()), 4);
      b.insert(b.end(), f.name.begin(), f.name.end());
      b.push_back(0);
    }
    Put(b, at + 8, f.id, 4);
    while (b.size() % 4 != 0) b.push_back(0);
    Put(b, at + 12, static_cast<std::uint32_t>(b.size()), 4);
    Put(b, at + 16, static_cast<std::uint32_t>(f.data.size()), 4);
    b.insert(b.end(), f.data.begin(), f.data.end());
  }
  return b;
}

}  // namespace

std::vector<std::uint8_t> ReadResourceSection(const std::string& path) {
  DWORD previous = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
  HMODULE module = LoadLibraryExW(platform::WideFromUtf8(path).c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  const DWORD error = GetLastError();
  SetThreadErrorMode(previous, nullptr);
  if (module == nullptr) throw ResourceError("cannot read '" + path + "': " + platform::SystemMessage(error));
  Enumeration e;
  EnumResourceTypesW(module, OnType, reinterpret_cast<LONG_PTR>(&e));
  FreeLibrary(module);
  if (e.failed) throw ResourceError("'" + path + "' has unreadable resources");
  if (e.found.empty()) throw ResourceError("'" + path + "' carries no resources");
  return Blob(e.found);
}

}  // namespace host
