#include <dlfcn.h>

#include "host/loader/SharedLibrary.h"

namespace host::platform {

void* OpenLibrary(const std::string& path, std::string& reason) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* error = dlerror();
    reason = error != nullptr ? error : "unknown reason";
  }
  return library;
}

void* FindSymbol(void* library, const char* name) {
  dlerror();
  return dlsym(library, name);
}

void CloseLibrary(void* library) { dlclose(library); }

bool LibraryIsLoaded(const std::string& path) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (library == nullptr) return false;
  dlclose(library);
  return true;
}

}  // namespace host::platform
