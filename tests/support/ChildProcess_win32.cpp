// CreateProcessW with a command line quoted so that the child's
// CommandLineToArgvW gives back exactly the arguments, and its standard
// handles on the NUL device and the two files.
#include <windows.h>

#include <mutex>
#include <stdexcept>
#include <string>

#include "host/loader/win32/SystemText.h"
#include "tests/support/ChildProcess.h"

namespace velmora::test {
namespace {

using host::platform::WideFromUtf8;

// Quotes one argument: backslashes are literal except before a quote, where
// they and the quote are escaped.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
  line += L'"';
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') backslashes = backslashes * 2 + 1;
    line.append(backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ != INVALID_HANDLE_VALUE && h_ != nullptr) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }

 private:
  HANDLE h_;
};

HANDLE OpenInheritable(const std::wstring& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::wstring CommandLine(const std::vector<std::string>& args) {
  std::wstring line;
  for (const std::string& a : args) {
    if (!line.empty()) line += L' ';
    AppendQuoted(line, WideFromUtf8(a));
  }
  return line;
}

namespace {

// Starts the child. Programs are started one at a time, and the parent's
// copies of the child's standard handles are closed as soon as it has
// started: every inheritable handle open at CreateProcessW goes to the
// child, so a child started at the same moment from another thread would
// otherwise hold this one's files open as well. Under Wine a start can fail
// now and then while many programs start at once: it is tried again.
PROCESS_INFORMATION Start(std::wstring line, const std::string& cwd, const std::string& outPath,
                          const std::string& errPath, const std::string& program) {
  static std::mutex starting;
  const std::lock_guard<std::mutex> lock(starting);
  const Handle in(OpenInheritable(L"NUL", GENERIC_READ, OPEN_EXISTING));
  const Handle out(OpenInheritable(WideFromUtf8(outPath), GENERIC_WRITE, CREATE_ALWAYS));
  const Handle err(OpenInheritable(WideFromUtf8(errPath), GENERIC_WRITE, CREATE_ALWAYS));
  if (!in.valid() || !out.valid() || !err.valid()) throw std::runtime_error("cannot open the child's standard files");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.get();
  startup.hStdOutput = out.get();
  startup.hStdError = err.get();
  PROCESS_INFORMATION process{};
  const std::wstring folder = WideFromUtf8(cwd);
  DWORD error = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0) Sleep(500);
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &process) != 0) {
      return process;
    }
    error = GetLastError();
  }
  throw std::runtime_error("cannot start " + program + " (error " + std::to_string(error) + ")");
}

}  // namespace

int RunProgram(const std::vector<std::string>& args, const std::string& cwd, const std::string& outPath,
               const std::string& errPath) {
  const PROCESS_INFORMATION process = Start(CommandLine(args), cwd, outPath, errPath, args.at(0));
  const Handle thread(process.hThread);
  const Handle child(process.hProcess);
  DWORD status = 0;
  if (WaitForSingleObject(child.get(), INFINITE) != WAIT_OBJECT_0 || GetExitCodeProcess(child.get(), &status) == 0) {
    throw std::runtime_error("cannot wait for " + args.at(0));
  }
  return static_cast<int>(status);
}

}  // namespace velmora::test
