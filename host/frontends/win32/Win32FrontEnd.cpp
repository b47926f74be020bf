#include "host/frontends/win32/Win32FrontEnd.h"

#include <string>

#include "host/frontends/TerminalText.h"
#include "host/frontends/win32/FormWindow.h"
#include "runtime/text/Gbk.h"

namespace host::win32 {
namespace {

// Strict: a text that is not GBK raises rather than shows something else.
std::wstring Wide(const rtl::AnsiString& gbk) {
  const rtl::WideString wide = rtl::GbkToWide(gbk);
  return std::wstring(wide.begin(), wide.end());
}

UINT IconOf(rtl::TMsgKind kind) {
  switch (kind) {
    case rtl::TMsgKind::Information: return MB_ICONINFORMATION;
    case rtl::TMsgKind::Warning: return MB_ICONWARNING;
    case rtl::TMsgKind::Error: return MB_ICONERROR;
  }
  return 0;
}

// The owner is disabled while a dialog is shown, and enabled again on every way out.
class DisabledOwner {
 public:
  explicit DisabledOwner(HWND owner) : owner_(owner != nullptr && EnableWindow(owner, FALSE) == 0 ? owner : nullptr) {}
  ~DisabledOwner() {
    if (owner_ != nullptr) EnableWindow(owner_, TRUE);
  }
  DisabledOwner(const DisabledOwner&) = delete;
  DisabledOwner& operator=(const DisabledOwner&) = delete;

 private:
  HWND owner_;  // null when there is none or it was disabled already
};

constexpr wchar_t kSessionWatchClass[] = L"VelmoraSessionWatch";

// The session is about to end: the dialog's message loop quits, and the
// dialog ends as by its close box. Answered at once, so that the clean-up
// runs while the system waits for the others' answers.
LRESULT CALLBACK SessionWatchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_QUERYENDSESSION) {
    PostQuitMessage(0);
    return TRUE;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateSessionWatch() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = SessionWatchProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kSessionWatchClass;
  // Registered once per process; a later registration finds it there.
  if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  return CreateWindowExW(WS_EX_TOOLWINDOW, kSessionWatchClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

Win32FrontEnd::Win32FrontEnd(std::ostream& out, HWND owner)
    : out_(out), owner_(owner), sessionWatch_(CreateSessionWatch()) {}

bool Win32FrontEnd::RunModal(rtl::ModalSession& session) {
  rtl::TCustomForm* form = session.Form();
  if (form == nullptr || session.Ended()) return true;
  FormWindow* outer = current_;
  bool quit = false;
  WPARAM quitCode = 0;
  {
    const DisabledOwner disabled(current_ != nullptr ? current_->Handle() : owner_);
    FormWindow window(
        *form, current_ != nullptr ? current_->Handle() : owner_,
        [&](const rtl::InputEvent& event) {
          session.Deliver(event);
          if (session.Form() == nullptr) window.Detach();
        },
        [this] { Beep(); });
    current_ = &window;
    window.Show();
    MSG msg{};
    while (!session.Ended()) {
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got <= 0) {
        quit = true;
        quitCode = msg.wParam;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    current_ = outer;
  }
  if (quit) {
    // The loop of whoever asked to quit must see it too.
    PostQuitMessage(static_cast<int>(quitCode));
    return false;
  }
  return true;
}

void Win32FrontEnd::ShowMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) {
  out_ << MessageLine(text, kind) << std::endl;
  const std::wstring wideText = Wide(text), wideCaption = Wide(caption);
  HWND owner = current_ != nullptr ? current_->Handle() : owner_;
  MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(),
              MB_OK | IconOf(kind) | (owner == nullptr ? MB_TASKMODAL | MB_SETFOREGROUND : 0));
}

void Win32FrontEnd::Beep() { MessageBeep(MB_OK); }

}  // namespace host::win32
