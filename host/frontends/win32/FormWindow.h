// The native windows of one form shown modally: a top-level window with the
// form's caption, border, position, size and font, and a child window for
// each control (edits, owner-drawn buttons with their glyphs, labels,
// images, the header's shape and line, the tab control and panels).
//
// The form's controls stay the truth: the windows show their state (Sync)
// and hand what the person does to the form as input events, through the
// deliver callback; they never change a control's text themselves.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "host/frontends/ControlView.h"
#include "host/frontends/FormLayout.h"
#include "host/frontends/KeyboardInput.h"
#include "host/frontends/win32/Gdi.h"  // the platform's headers last
#include "host/loader/Pictures.h"
#include "runtime/forms/Form.h"

namespace host::win32 {

class FormWindow {
 public:
  using Deliver = std::function<void(const rtl::InputEvent&)>;
  using Refuse = std::function<void()>;

  // Makes the windows, hidden; owner may be null. Raises std::runtime_error
  // when the window system refuses one.
  FormWindow(rtl::TCustomForm& form, HWND owner, Deliver deliver, Refuse refuse);
  ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND Handle() const noexcept { return window_.get(); }
  // Shows the window in front with the focus on the form's active control.
  void Show();
  // Brings the windows in line with the controls: texts, captions, shown,
  // enabled and focused control.
  void Sync();
  // The form is gone: from now on no control is touched.
  void Detach() noexcept { form_ = nullptr; }

 private:
  struct Child {
    FormWindow* owner;
    rtl::TControl* control;
    std::shared_ptr<const bool> alive;
    ControlKind kind;
    HWND hwnd = nullptr;
    Bounds bounds;
    std::optional<rtl::AnsiString> shownText;  // what the window shows, once set
    std::optional<Picture> picture;            // an image's icon or a button's glyph
    OwnedBitmap bitmap;                        // the picture as a 32-bit bitmap
    COLORREF background = 0;                   // what lies beneath a label, image or shape
    COLORREF textColor = 0;
  };

  static LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);
  LRESULT OnFormMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnChildMessage(Child& child, UINT message, WPARAM wParam, LPARAM lParam);
  // A key or character from any of the windows; returns whether it was handled.
  bool OnKeyboard(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  void CreateTopLevel(HWND owner);
  void CreateChildren();
  void PlaceChildren();
  void Hand(const rtl::InputEvent& event);
  Child* ChildOf(HWND hwnd) noexcept;
  bool Usable(const Child& child) const noexcept { return form_ != nullptr && *child.alive; }
  HBRUSH Brush(COLORREF colour);
  COLORREF BeneathColour(const Child& child) const;
  void DrawButton(const Child& child, const DRAWITEMSTRUCT& item);
  void DrawImage(const Child& child, const DRAWITEMSTRUCT& item);
  void DrawPicture(HDC dc, const Child& child, int left, int top, int width, int height);
  void Measure(Child& child);

  rtl::TCustomForm* form_;
  std::shared_ptr<const bool> formAlive_;
  Deliver deliver_;
  Refuse refuse_;
  KeyboardInput keyboard_;
  OwnedFont font_;
  std::vector<std::unique_ptr<Child>> children_;
  std::map<COLORREF, OwnedBrush> brushes_;
  COLORREF formColour_ = 0;
  bool delivering_ = false;        // input that arrives meanwhile (a message box is up) is dropped
  OwnedIcon bigIcon_, smallIcon_;  // the caption's: the library's MAINICON
  // Last, so it is destroyed first (also when the constructor fails half-way):
  // its windows use everything above while they go.
  OwnedWindow window_;
};

}  // namespace host::win32
