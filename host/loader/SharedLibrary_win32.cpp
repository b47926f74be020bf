// LoadLibraryExW with the library's own folder searched first for what it
// imports, GetProcAddress and FreeLibrary. The loader's error boxes are
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
  DWORD previous = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
  HMODULE library = LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD error = GetLastError();
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
