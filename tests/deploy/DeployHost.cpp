// velmora_deploy_host plain|safe LIBRARY DATABASE
// A host that loads an edition as plug-in hosts do: a plain LoadLibrary
// with the full path, or LoadLibraryEx with the safer search flags (the
// library's own folder, the program's folder, the system's). It then lists
// every module of the process that is not Windows' own ("module <path>"),
// changes the demo user's password from demo to new through the dialog
// under a script on the demo database DATABASE (made there), and frees the
// library. Exit status: the dialog's outcome (0 the password was changed),
// 3 a host error, 10 the library did not load, 64 usage.
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "host/DemoDatabase.h"
#include "host/Runner.h"
#include "host/frontends/ScriptFrontEnd.h"
#include "host/loader/Edition.h"
#include "host/loader/LibraryResources.h"
#include "host/loader/LoadedModule.h"
#include "host/loader/win32/SystemText.h"
#include "host/services/ModuleSql.h"

// The platform's headers last: their macros would replace the runtime's names.
// clang-format off
#include <windows.h>
#include <tlhelp32.h>
// clang-format on

namespace {

using host::platform::Utf8FromWide;
using host::platform::WideFromUtf8;

void ListModules() {
  wchar_t system[MAX_PATH] = {};
  GetWindowsDirectoryW(system, MAX_PATH);
  const std::wstring windows = system;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Module32FirstW(snapshot, &entry); more != FALSE; more = Module32NextW(snapshot, &entry)) {
    const std::wstring path = entry.szExePath;
    if (CompareStringOrdinal(path.c_str(), static_cast<int>(windows.size()), windows.c_str(),
                             static_cast<int>(windows.size()), TRUE) == CSTR_EQUAL) {
      continue;
    }
    std::cout << "module " << Utf8FromWide(path) << "\n";
  }
  CloseHandle(snapshot);
}

int ChangePassword(const std::string& library, const std::string& database) {
  const host::LibraryResources resources(library);
  const host::Edition edition = host::DetectEdition(resources.Directory());
  const auto db = host::OpenDemoDatabase(database);
  const auto user = host::FindUser(*db, edition == host::Edition::Context ? host::kDemoUser : host::kDemoMd5User);
  if (!user) throw host::HostError("no demo user");
  std::vector<std::string> keys = {"type demo", "key Enter", "type new", "key Enter", "type new", "key Enter"};
  // In the automation dialog the last Enter moves to Modify, which a further one presses.
  if (edition == host::Edition::Automation) keys.emplace_back("key Enter");
  host::ScriptFrontEnd frontEnd(keys, std::cout);
  host::ModuleSql sql(*db, nullptr);
  const host::LoadedModule module(library);
  return static_cast<int>(host::RunDialog(module, edition, sql, *user, frontEnd));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || (std::string_view(argv[1]) != "plain" && std::string_view(argv[1]) != "safe")) {
    std::fputs("usage: velmora_deploy_host plain|safe LIBRARY DATABASE\n", stderr);
    return 64;
  }
  const std::wstring path = WideFromUtf8(argv[2]);
  HMODULE library =
      std::string_view(argv[1]) == "plain"
          ? LoadLibraryW(path.c_str())
          : LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (library == nullptr) {
    std::cout << "velmora_deploy_host: the library did not load (error " << GetLastError() << ")\n";
    return 10;
  }
  ListModules();
  int status = 3;
  try {
    status = ChangePassword(argv[2], argv[3]);
  } catch (const std::exception& e) {
    std::cout << "velmora_deploy_host: " << e.what() << "\n";
  }
  FreeLibrary(library);
  std::cout << "velmora_deploy_host: outcome " << status << "\n";
  return status;
}
