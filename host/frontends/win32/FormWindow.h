// The native windows of one form shown modally: a top-level window with the
// form's caption, border, position, size and font, and a child window for
// each control (edits, owner-drawn buttons with their glyphs, labels,
// images, the header's shape and line, the tab control and panels).
//
// Sizes, positions and the font follow the display's pixels per inch (each
// monitor's where the system has them), scaled from the description's as
// the toolkit did. A label or image described as transparent shows what
// lies beneath it: the form, a panel, a shape.
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
#include "host/frontends/win32/Dpi.h"  // the platform's headers last
#include "host/frontends/win32/Gdi.h"
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
    std::optional<Picture> picture;            // an image's icon or a button's glyph, as fits its size
    int pictureWidth = 0, pictureHeight = 0;   // the picture's size as designed
    OwnedBitmap bitmap;                        // the picture at its scaled size, as a 32-bit bitmap
    int bitmapWidth = 0, bitmapHeight = 0;
    bool transparent = false;  // a label or image that shows what lies beneath it
    COLORREF background = 0;   // otherwise its colour
    COLORREF textColor = 0;
  };

  static LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);
  LRESULT OnFormMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnChildMessage(Child& child, UINT message, WPARAM wParam, LPARAM lParam);
  // A key or character from any of the windows; returns whether it was handled.
  bool OnKeyboard(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  void CreateTopLevel(HWND owner);
  // Sizes the window for its client area at the current scale and places it as described.
  void PlaceTopLevel(HWND owner);
  void CreateChildren();
  void PlaceChildren();
  // Scale, font and pictures for a display of dpi pixels per inch.
  void ApplyDpi(int dpi);
  // The child's picture as fits its scaled size, and a button's glyph at that size.
  void LoadPicture(Child& child);
  // The child's bitmap: its picture at width x height, made again only when that changes.
  void FitBitmap(Child& child, int width, int height);
  // The window moved to a display of other pixels per inch: suggested is the
  // system's rectangle for it there.
  void OnDpiChanged(int dpi, const RECT& suggested);
  void Hand(const rtl::InputEvent& event);
  Child* ChildOf(HWND hwnd) noexcept;
  bool Usable(const Child& child) const noexcept { return form_ != nullptr && *child.alive; }
  HBRUSH Brush(COLORREF colour);
  COLORREF BeneathColour(const Child& child) const;
  // Paints into dc, whose origin is the child's, what lies beneath a
  // transparent child: the form's background, then every window below it
  // that it overlaps, lowest first, each drawn as it draws itself.
  void PaintBeneath(const Child& child, HDC dc);
  // A transparent child's painting, through a bitmap so that nothing flickers.
  void PaintTransparent(Child& child);
  void DrawButton(const Child& child, const DRAWITEMSTRUCT& item);
  void DrawImage(const Child& child, const DRAWITEMSTRUCT& item);
  void DrawPicture(HDC dc, const Child& child, int left, int top, int width, int height);
  void Measure(Child& child);

  // First, so that the thread draws for the display's pixels per inch for as
  // long as the windows live: coordinates given to them are then the display's.
  DpiAwareThread dpiAware_;
  rtl::TCustomForm* form_;
  std::shared_ptr<const bool> formAlive_;
  Deliver deliver_;
  Refuse refuse_;
  KeyboardInput keyboard_;
  int dpi_ = 96;  // the display's pixels per inch
  Scale scale_;   // from the description's to the display's
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
