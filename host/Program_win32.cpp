#include <windows.h>
#include <shellapi.h>

#include <filesystem>

#include "host/Program.h"
#include "host/loader/win32/SystemText.h"

namespace host::platform {

std::string EditionLibraryBeside(const char* argv0, const char* edition) {
  std::wstring self(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (length == 0) {
      self = std::filesystem::path(argv0).wstring();
      break;
    }
    if (length < self.size()) {
      self.resize(length);
      break;
    }
    self.resize(self.size() * 2);
  }
  const std::filesystem::path library = std::filesystem::path(self).parent_path() / edition / L"Velmora.dll";
  return Utf8FromWide(library.wstring());
}

std::vector<std::string> Arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr || count != argc) {
    if (wide != nullptr) LocalFree(wide);
    return {argv, argv + argc};
  }
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  return arguments;
}

void PrepareConsole() { SetConsoleOutputCP(CP_UTF8); }

}  // namespace host::platform
