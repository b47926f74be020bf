// LoadLibraryExW with the full path (a relative one is made absolute
// first) and the safer search flags: what the library imports is looked
// for in its own folder, the program's folder and the system's, never in
// the current folder. Where the system lacks those flags (Windows 7
// without its loader update), LOAD_WITH_ALTERED_SEARCH_PATH: the library's
// folder instead of the program's, which is defined for a full path only.
// GetProcAddress and FreeLibrary. The loader's error boxes are
// turned off so that a failure is only ever reported, never shown.
#include <windows.h>

#include "host/loader/SharedLibrary.h"
#include "host/loader/win32/SystemText.h"

namespace host::platform {

void* OpenLibrary(const std::string& path, std::string& reason) {
  std::wstring wide;
  try {
    wide = WideFromUtf8(path);
  } catch (const std::exception& e) {
    reason = e.what();
    return nullptr;
  }
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  const DWORD length = size == 0 ? 0 : GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) {
    reason = SystemMessage(GetLastError());
    return nullptr;
  }
  full.resize(length);
  DWORD previous = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
  HMODULE library =
      LoadLibraryExW(full.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  DWORD error = GetLastError();
  if (library == nullptr && error == ERROR_INVALID_PARAMETER) {
    library = LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    error = GetLastError();
  }
  SetThreadErrorMode(previous, nullptr);
  if (library == nullptr) reason = SystemMessage(error);
  return library;
}

void* FindSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

bool LibraryIsLoaded(const std::string& path) {
  HMODULE library = nullptr;
  return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, WideFromUtf8(path).c_str(), &library) != 0;
}

}  // namespace host::platform
