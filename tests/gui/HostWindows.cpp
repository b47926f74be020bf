#include "tests/gui/HostWindows.h"

#include <stdexcept>

#include "host/loader/win32/SystemText.h"
#include "tests/support/ChildProcess.h"

namespace velmora::test {
namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct TopLevelSearch {
  DWORD processId;
  std::function<bool(HWND)> test;
  HWND found = nullptr;
};

// Enumeration callbacks are CALLBACK (stdcall on 32-bit Windows), which a lambda cannot be.
BOOL CALLBACK StopAtTopLevel(HWND window, LPARAM data) {
  auto& s = *reinterpret_cast<TopLevelSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != s.processId || !IsWindowVisible(window) || !s.test(window)) return TRUE;
  s.found = window;
  return FALSE;
}

HWND FindTopLevel(DWORD processId, std::function<bool(HWND)> test) {
  TopLevelSearch search{processId, std::move(test)};
  EnumWindows(StopAtTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct ChildSearch {
  const std::wstring& windowClass;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectChildOfClass(HWND window, LPARAM data) {
  auto& s = *reinterpret_cast<ChildSearch*>(data);
  if (_wcsicmp(ClassOf(window).c_str(), s.windowClass.c_str()) == 0) s.found.push_back(window);
  return TRUE;
}

// A message sent and waited for: what the host has taken before it answers.
LRESULT SendAndWait(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 30000, &result) == 0) {
    throw std::runtime_error("the host did not answer a window message");
  }
  return static_cast<LRESULT>(result);
}

}  // namespace

bool WaitFor(const std::function<bool()>& condition, unsigned patienceMs) {
  const ULONGLONG deadline = GetTickCount64() + patienceMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() > deadline) return false;
    Sleep(20);
  }
}

HostWindows::HostWindows(const std::vector<std::string>& args, const std::string& outPath) {
  std::wstring line = CommandLine(args);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const std::wstring out = host::platform::WideFromUtf8(outPath);
  HANDLE output = CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (output == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + outPath);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION info{};
  const BOOL started =
      CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
  CloseHandle(output);
  if (started == 0) throw std::runtime_error("cannot start " + args.at(0));
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
}

HostWindows::~HostWindows() {
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 10000);
  }
  CloseHandle(process_);
}

HWND HostWindows::WaitForDialog(const std::wstring& caption) {
  HWND dialog = nullptr;
  WaitFor([&] {
    dialog = FindTopLevel(processId_, [&](HWND w) { return ClassOf(w) == L"VelmoraForm" && TextOf(w) == caption; });
    return dialog != nullptr;
  });
  if (dialog != nullptr) threadId_ = GetWindowThreadProcessId(dialog, nullptr);
  return dialog;
}

HWND HostWindows::WaitForMessageBox() {
  HWND box = nullptr;
  WaitFor([&] {
    box = FindTopLevel(processId_, [](HWND w) { return ClassOf(w) == L"#32770"; });
    return box != nullptr;
  });
  return box;
}

int HostWindows::WaitForExit() {
  if (WaitForSingleObject(process_, kPatienceMs) != WAIT_OBJECT_0) return -1;
  DWORD status = 0;
  GetExitCodeProcess(process_, &status);
  return static_cast<int>(status);
}

HWND HostWindows::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (threadId_ == 0 || GetGUIThreadInfo(threadId_, &info) == 0) return nullptr;
  return info.hwndFocus;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::wstring& windowClass) {
  ChildSearch search{windowClass, {}};
  EnumChildWindows(parent, CollectChildOfClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

int TextLength(HWND window) { return static_cast<int>(SendAndWait(window, WM_GETTEXTLENGTH, 0, 0)); }

void Type(HWND window, const std::wstring& text) {
  for (wchar_t c : text) SendAndWait(window, WM_CHAR, c, 1);
}

void PressKey(HWND window, WORD key, bool alt) {
  const LPARAM flags = 1 | (alt ? LPARAM{1} << 29 : 0);
  // The key and then its character, as the keyboard and TranslateMessage
  // give them, both sent without waiting: sent messages are taken in the
  // order sent, so text typed next can never come between the two (a key
  // posted instead has its character posted only once the host takes the
  // key, after text the test may have sent meanwhile).
  SendNotifyMessageW(window, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, flags);
  wchar_t character = 0;
  if (key == VK_RETURN || key == VK_BACK || key == VK_ESCAPE || key == VK_TAB || key == VK_SPACE ||
      (key >= '0' && key <= '9')) {
    character = static_cast<wchar_t>(key);  // these keys' codes are their characters
  } else if (key >= 'A' && key <= 'Z') {
    character = static_cast<wchar_t>(key - 'A' + 'a');
  }
  if (character != 0) SendNotifyMessageW(window, alt ? WM_SYSCHAR : WM_CHAR, character, flags);
}

void ClickAt(HWND window) {
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

void PressButton(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

std::wstring AnswerMessageBox(HWND box) {
  // The system's message box shows its text in the static control 0xFFFF.
  std::wstring text = TextOf(GetDlgItem(box, 0xFFFF));
  PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  WaitFor([&] { return IsWindow(box) == FALSE; });
  return text;
}

bool SaveScreenshot(HWND window, const std::string& path) {
  // Painted and on the display first: every pending paint is done before the answer.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  SendAndWait(window, WM_NULL, 0, 0);
  RECT r{};
  GetWindowRect(window, &r);
  const std::string geometry = std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + "+" +
                               std::to_string(r.left) + "+" + std::to_string(r.top);
  // Wine starts a program of the build machine as it is; it appears under its
  // name once complete.
  const std::string partial = path + ".partial.png";
  std::wstring line = L"/bin/sh -c \"import -window root -crop " + host::platform::WideFromUtf8(geometry) +
                      L" +repage '" + host::platform::WideFromUtf8(partial) + L"' && mv '" +
                      host::platform::WideFromUtf8(partial) + L"' '" + host::platform::WideFromUtf8(path) + L"'\"";
  const std::wstring target = L"Z:" + host::platform::WideFromUtf8(path);
  DeleteFileW(target.c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info) == 0) {
    return false;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return WaitFor([&] { return GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

}  // namespace velmora::test
