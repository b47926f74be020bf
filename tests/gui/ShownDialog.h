// One edition's dialog as velmora-host.exe shows it on a display of the
// pixels per inch asked for, on a database of its own, and where its
// windows lie.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/gui/DisplayScale.h"
#include "tests/gui/HostWindows.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {

struct EditionDialog {
  const char* edition;
  const char* user;
  const wchar_t* caption;
  int fontHeight;  // the description's font height (pixels at 96 per inch; negative: of the characters)
};

inline const EditionDialog kContextDialog{"context", "ctxuser", L"修改登录密码", -13};
inline const EditionDialog kAutomationDialog{"automation", "md5user", L"修改密码", -12};

// A window of the dialog and its place in the dialog's client area.
struct PlacedWindow {
  HWND window;
  std::wstring windowClass, text;
  RECT rect;
};

class ShownDialog {
 public:
  // Starts the host and waits for the dialog.
  ShownDialog(const EditionDialog& edition, DWORD dpi);
  ShownDialog(const ShownDialog&) = delete;
  ShownDialog& operator=(const ShownDialog&) = delete;

  // Null when the dialog did not appear.
  HWND Window() const noexcept { return dialog_; }
  HostWindows& App() noexcept { return *app_; }
  // The host's database: users ctxuser and md5user, password "old".
  TempDatabase& Db() noexcept { return db_; }
  // What the host wrote so far.
  std::string Output() const;
  SIZE ClientSize() const;
  // Every window of the dialog, top of the z-order first.
  std::vector<PlacedWindow> Windows() const;
  // A rectangle of the dialog's client area in screen coordinates.
  RECT OnScreen(const RECT& client) const;

 private:
  std::string OutPath() const { return capture_.Path() + "/out"; }

  DisplayDpi display_;
  TempDatabase db_;
  TempFolder capture_;
  std::optional<HostWindows> app_;
  HWND dialog_ = nullptr;
};

}  // namespace velmora::test
