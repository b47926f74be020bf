// velmora-host.exe started as a child process without a script, so that it
// shows its native dialog, and what a test needs to drive that dialog from
// outside: its windows found by class and order, text typed, keys pressed,
// buttons clicked and message boxes answered through window messages. Every
// wait polls with a deadline.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/frontends/win32/Windows.h"

namespace velmora::test {

// Milliseconds. Wine on a loaded machine starts slowly; nothing here waits longer.
// (<chrono> is not used: its micro sign has no GBK code.)
inline constexpr unsigned kPatienceMs = 60000;

// Polls condition until it holds or the deadline passes; returns whether it held.
bool WaitFor(const std::function<bool()>& condition, unsigned patienceMs = kPatienceMs);

class HostWindows {
 public:
  // Starts the host with args; its standard output goes to outPath.
  HostWindows(const std::vector<std::string>& args, const std::string& outPath);
  ~HostWindows();  // ends the host if it still runs
  HostWindows(const HostWindows&) = delete;
  HostWindows& operator=(const HostWindows&) = delete;

  // The shown top-level window of the host with this caption, or null after the wait.
  HWND WaitForDialog(const std::wstring& caption);
  // The shown message box of the host, or null after the wait.
  HWND WaitForMessageBox();
  // The exit status, or -1 when the host did not end in time.
  int WaitForExit();

  // The window that has the host's keyboard focus.
  HWND Focus() const;

 private:
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
};

// The child windows of parent of a window class (e.g. L"Edit", L"Button",
// L"Static"), top of the z-order first.
std::vector<HWND> ChildrenOfClass(HWND parent, const std::wstring& windowClass);
std::wstring TextOf(HWND window);
// The text's length as the window reports it (a password edit's too).
int TextLength(HWND window);

// Types each UTF-16 code unit as a character, waiting for each to be taken.
void Type(HWND window, const std::wstring& text);
// A key going down and its character, as the keyboard and TranslateMessage
// give them; alt for a key held with Alt. Returns before the host takes them.
void PressKey(HWND window, WORD key, bool alt = false);
// A left click in the window's top-left corner.
void ClickAt(HWND window);
void PressButton(HWND button);
// The message box's text; answers it with OK and waits until it is gone.
std::wstring AnswerMessageBox(HWND box);

// Saves a picture of window's place on the X display as path (a PNG, UTF-8
// build-machine path) with ImageMagick's import; false when it did not appear.
bool SaveScreenshot(HWND window, const std::string& path);

}  // namespace velmora::test
