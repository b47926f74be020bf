// The platform's loader of shared libraries, as the module loader uses it:
// open by path, find an exported symbol by name, close.
#pragma once

#include <string>

namespace host::platform {

// The library's handle, or nullptr with the loader's reason.
void* OpenLibrary(const std::string& path, std::string& reason);
// The address of an exported symbol, or nullptr.
void* FindSymbol(void* library, const char* name);
void CloseLibrary(void* library);
// Whether the library at path is loaded in this process now.
bool LibraryIsLoaded(const std::string& path);

}  // namespace host::platform
