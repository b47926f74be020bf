#include <windows.h>
#include <shellapi.h>

#include <cstdio>
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

namespace {

// The thread that shows the dialogs: the one that prepared the console.
// Written once, before the control handler is installed; read by it.
DWORD dialogThread = 0;

// Milliseconds the handler of a console's closing, a logoff or a shutdown
// holds the process for its clean-up; the system ends it soon after anyway.
constexpr DWORD kCleanUpMs = 4500;

bool Handed(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Runs on a thread of its own: the dialog's message loop is told to quit,
// and the dialog then ends as by its close box, so that the program's
// normal clean-up runs (servers unregistered, the database closed). When
// the console goes away, the process ends once the handler returns: it
// waits here meanwhile, and the program's exit ends this thread too.
BOOL WINAPI OnConsoleControl(DWORD event) {
  PostThreadMessageW(dialogThread, WM_QUIT, 0, 0);
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) Sleep(kCleanUpMs);
  return TRUE;
}

}  // namespace

void PrepareConsole() {
  // A windowed program has no console of its own: what it writes goes to
  // the console it was started from, unless the parent handed it a file or
  // a pipe, which stays.
  const bool output = Handed(STD_OUTPUT_HANDLE), error = Handed(STD_ERROR_HANDLE);
  if ((!output || !error) && AttachConsole(ATTACH_PARENT_PROCESS) != 0) {
    // Should the console refuse, the output goes nowhere, as it did before.
    if (!output) static_cast<void>(std::freopen("CONOUT$", "w", stdout));
    if (!error) static_cast<void>(std::freopen("CONOUT$", "w", stderr));
  }
  if (GetConsoleWindow() != nullptr) SetConsoleOutputCP(CP_UTF8);
  dialogThread = GetCurrentThreadId();
  SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
}

}  // namespace host::platform
