#include "host/frontends/win32/FormWindow.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "host/frontends/ScaledPicture.h"
#include "host/loader/win32/SystemText.h"
#include "runtime/controls/ExtCtrls.h"
#include "runtime/controls/StdCtrls.h"
#include "runtime/except/Exceptions.h"
#include "runtime/forms/Application.h"
#include "runtime/text/Gbk.h"

namespace host::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"VelmoraForm";
constexpr UINT_PTR kSubclassId = 1;
constexpr int kFirstControlId = 100;
// Designed lengths, scaled as the rest: between a button's glyph and its
// caption, from its edge to its focus rectangle, and the font's height where
// the description gives none.
constexpr int kGlyphGap = 4;
constexpr int kFocusInset = 4;
constexpr int kDesignFontHeight = -12;

// What a window shows of GBK text: exact where the text is well formed,
// and never refused, since the person must see something.
std::wstring Shown(const rtl::AnsiString& gbk) {
  try {
    const rtl::WideString wide = rtl::GbkToWide(gbk);
    return std::wstring(wide.begin(), wide.end());
  } catch (const rtl::EConvertError&) {
    return platform::WideFromUtf8(rtl::GbkToUtf8Display(gbk));
  }
}

// A colour of the descriptions: negative values name system colours.
COLORREF ColourOf(std::int32_t colour) {
  if (colour < 0) return GetSysColor(colour & 0xFF);
  return static_cast<COLORREF>(colour) & 0xFFFFFFu;
}

// The picture, or nothing when it does not decode: a damaged picture is
// drawn as nothing rather than trusted.
template <class Decode>
std::optional<Picture> Decoded(Decode&& decode) {
  try {
    return decode();
  } catch (const ResourceError&) {
    return std::nullopt;
  }
}

// The picture at width x height: resampled where that size may be, else as it is.
OwnedBitmap BitmapOf(const Picture& source, int width, int height) {
  const Picture picture = width >= 1 && height >= 1 && width <= kMaxScaledSide && height <= kMaxScaledSide
                              ? Resampled(source, width, height)
                              : source;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  OwnedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const std::vector<std::uint32_t> bgra = Premultiplied(picture);
  if (bitmap && bits != nullptr) std::memcpy(bits, bgra.data(), bgra.size() * sizeof(std::uint32_t));
  return bitmap;
}

// The icon MAINICON of the library that owns the form, in one size; null
// when it has none. (Resource types by number: the platform's names are
// macros here.)
HICON LibraryIcon(const rtl::TCustomForm& form, int size) {
  constexpr std::uint16_t kIconGroup = 14, kIconImage = 3;
  try {
    const auto group = rtl::LoadResource(form.Module(), kIconGroup, "MAINICON");
    const int id = LookupIconIdFromDirectoryEx(const_cast<PBYTE>(group.data()), TRUE, size, size, LR_DEFAULTCOLOR);
    if (id == 0) return nullptr;
    const auto image = rtl::LoadResource(form.Module(), kIconImage, static_cast<std::uint32_t>(id));
    return CreateIconFromResourceEx(const_cast<PBYTE>(image.data()), static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                    size, size, LR_DEFAULTCOLOR);
  } catch (const rtl::Exception&) {
    return nullptr;
  }
}

void RegisterFormClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  // Each window gets the form's procedure once it knows its form.
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kFormClass;
  // Registered once per process; a later registration finds it there.
  if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw std::runtime_error("cannot register the form's window class");
  }
}

}  // namespace

FormWindow::FormWindow(rtl::TCustomForm& form, HWND owner, Deliver deliver, Refuse refuse)
    : form_(&form), formAlive_(form.AliveFlag()), deliver_(std::move(deliver)), refuse_(std::move(refuse)) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterFormClass();
  formColour_ = ColourOf(form.Color != 0 ? form.Color : -0x7FFFFFF1);  // clBtnFace unless described
  CreateTopLevel(owner);
  bigIcon_.reset(LibraryIcon(form, GetSystemMetrics(SM_CXICON)));
  smallIcon_.reset(LibraryIcon(form, GetSystemMetrics(SM_CXSMICON)));
  SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  CreateChildren();
  PlaceChildren();
  Sync();
}

// The windows go first (window_ is the last member), then their children's
// records, brushes and bitmaps.
FormWindow::~FormWindow() = default;

void FormWindow::CreateTopLevel(HWND owner) {
  DWORD style = WS_CLIPCHILDREN, exStyle = 0;
  using Border = rtl::TFormBorderStyle;
  switch (form_->BorderStyle) {
    case Border::None: style |= WS_POPUP; break;
    case Border::Single: style |= WS_CAPTION; break;
    case Border::Sizeable: style |= WS_CAPTION | WS_THICKFRAME; break;
    case Border::Dialog: style |= WS_CAPTION | DS_MODALFRAME, exStyle |= WS_EX_DLGMODALFRAME; break;
    case Border::ToolWindow: style |= WS_CAPTION, exStyle |= WS_EX_TOOLWINDOW; break;
    case Border::SizeToolWin: style |= WS_CAPTION | WS_THICKFRAME, exStyle |= WS_EX_TOOLWINDOW; break;
  }
  const bool framed = form_->BorderStyle != Border::None;
  const bool boxes = framed && form_->BorderStyle != Border::Dialog && form_->BorderStyle != Border::ToolWindow &&
                     form_->BorderStyle != Border::SizeToolWin;
  if (framed && form_->BorderIcons.systemMenu) {
    style |= WS_SYSMENU;
    if (boxes && form_->BorderIcons.minimize) style |= WS_MINIMIZEBOX;
    if (boxes && form_->BorderIcons.maximize) style |= WS_MAXIMIZEBOX;
  }

  // Sized and placed once the pixels per inch of its display are known; the
  // system places a window of a default position.
  HWND hwnd = CreateWindowExW(exStyle, kFormClass, Shown(form_->Caption()).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                              0, 0, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (hwnd == nullptr) throw std::runtime_error("cannot create the form's window");
  window_.reset(hwnd);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormProc));
  ApplyDpi(WindowDpi(hwnd));
  PlaceTopLevel(owner);
}

void FormWindow::PlaceTopLevel(HWND owner) {
  HWND hwnd = window_.get();
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  const Bounds client = DesignedClientArea(*form_, scale_);
  RECT outer{0, 0, client.width, client.height};
  OuterRect(outer, style, exStyle, dpi_);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT around = work;
  int x = form_->Left, y = form_->Top;
  using Position = rtl::TPosition;
  switch (form_->Position) {
    case Position::OwnerFormCenter:
    case Position::MainFormCenter:
      if (owner != nullptr) GetWindowRect(owner, &around);
      [[fallthrough]];
    case Position::ScreenCenter:
    case Position::DesktopCenter:
      x = around.left + (around.right - around.left - width) / 2;
      y = around.top + (around.bottom - around.top - height) / 2;
      break;
    case Position::Designed: break;
    case Position::Default:
    case Position::DefaultPosOnly:
    case Position::DefaultSizeOnly: x = y = CW_USEDEFAULT; break;
  }
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (x == CW_USEDEFAULT) {
    flags |= SWP_NOMOVE;
  } else {
    // Wholly on the work area where it fits, its caption always.
    x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
    y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
  }
  SetWindowPos(hwnd, nullptr, x, y, width, height, flags);
}

void FormWindow::ApplyDpi(int dpi) {
  if (form_ == nullptr || !*formAlive_) return;
  dpi_ = dpi;
  scale_ = ScaleOf(*form_, dpi);
  const std::wstring face = form_->FontName.empty() ? std::wstring(L"SimSun") : Shown(form_->FontName);
  OwnedFont font(CreateFontW(scale_.FontHeight(form_->FontHeight != 0 ? form_->FontHeight : kDesignFontHeight), 0, 0, 0,
                             FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
  for (const auto& child : children_) {
    SendMessageW(child->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    LoadPicture(*child);
  }
  font_ = std::move(font);  // the former font goes only now, when no window uses it
}

void FormWindow::LoadPicture(Child& child) {
  if (!Usable(child)) return;
  if (child.kind == ControlKind::Button) {
    const auto* glyph = GlyphOf(*child.control);
    if (glyph == nullptr || glyph->empty()) return;
    child.picture = Decoded([&] { return GlyphOfData(*glyph); });
    if (child.picture) child.pictureWidth = child.picture->width, child.pictureHeight = child.picture->height;
  } else if (child.kind == ControlKind::Image) {
    const auto* data = PictureOf(*child.control);
    if (data == nullptr) return;
    int width = child.control->Width, height = child.control->Height;
    if (width <= 0 || height <= 0) {
      // Sized by its picture: the largest of the icon's images.
      const auto natural = Decoded([&] { return IconOfPicture(*data, 0); });
      width = natural ? natural->width : 0, height = natural ? natural->height : 0;
    }
    child.pictureWidth = width, child.pictureHeight = height;
    // The icon's image that fits the scaled size best: the sharpest there is.
    child.picture = Decoded([&] { return IconOfPicture(*data, std::min(scale_(width), scale_(height))); });
  } else {
    return;
  }
  child.bitmap.reset();
  child.bitmapWidth = child.bitmapHeight = 0;
  if (child.picture && child.kind == ControlKind::Button)
    FitBitmap(child, scale_(child.pictureWidth), scale_(child.pictureHeight));
}

void FormWindow::FitBitmap(Child& child, int width, int height) {
  if (!child.picture || width <= 0 || height <= 0) return;
  if (child.bitmap && child.bitmapWidth == width && child.bitmapHeight == height) return;
  child.bitmap = BitmapOf(*child.picture, width, height);
  child.bitmapWidth = width, child.bitmapHeight = height;
}

void FormWindow::OnDpiChanged(int dpi, const RECT& suggested) {
  ApplyDpi(dpi);
  SetWindowPos(window_.get(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceChildren();  // also where the size did not change: the labels measure in the new font
  RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void FormWindow::CreateChildren() {
  // Every control, and where it stands: the focusable ones in tab order on
  // top, then labels and images, the shapes beneath them, the containers
  // (inner before outer) at the bottom.
  std::vector<rtl::TWinControl*> tabOrder;
  form_->GetTabOrderList(tabOrder);
  struct Entry {
    rtl::TControl* control;
    ControlKind kind;
    int rank, depth, order;
  };
  std::vector<Entry> entries;
  for (const ControlView& view : ViewControls(*form_)) {
    // Any other control is shown as a label would be.
    const ControlKind kind = view.kind == ControlKind::Other ? ControlKind::Label : view.kind;
    int rank = 1;
    if (kind == ControlKind::Edit || kind == ControlKind::Button) rank = 0;
    else if (kind == ControlKind::Shape || kind == ControlKind::Bevel) rank = 2;
    else if (kind == ControlKind::Panel || kind == ControlKind::TabControl) rank = 3;
    const auto at = std::find(tabOrder.begin(), tabOrder.end(), view.control);
    const int order =
        at == tabOrder.end() ? static_cast<int>(tabOrder.size()) : static_cast<int>(at - tabOrder.begin());
    entries.push_back({view.control, kind, rank, view.depth, order});
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    if (a.rank != b.rank) return a.rank < b.rank;
    if (a.rank == 0) return a.order < b.order;
    return a.depth > b.depth;
  });

  HWND previous = HWND_TOP;
  int id = kFirstControlId;
  for (const Entry& e : entries) {
    auto child = std::make_unique<Child>();
    child->owner = this;
    child->control = e.control;
    child->alive = e.control->AliveFlag();
    child->kind = e.kind;
    const wchar_t* windowClass = L"STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS, exStyle = 0;
    const auto* win = dynamic_cast<const rtl::TWinControl*>(e.control);
    if (win != nullptr && win->TabStop && e.rank == 0) style |= WS_TABSTOP;
    switch (e.kind) {
      case ControlKind::Edit: {
        const auto& edit = static_cast<const rtl::TEdit&>(*e.control);
        windowClass = L"EDIT";
        style |= ES_AUTOHSCROLL | (edit.PasswordChar != '\0' ? ES_PASSWORD : 0) | (edit.ReadOnly ? ES_READONLY : 0);
        exStyle |= WS_EX_CLIENTEDGE;
        break;
      }
      case ControlKind::Button:
        windowClass = L"BUTTON";
        style |= BS_OWNERDRAW;
        break;
      case ControlKind::Image: style |= SS_OWNERDRAW; break;
      case ControlKind::Bevel: style |= SS_ETCHEDHORZ; break;
      case ControlKind::TabControl: windowClass = WC_TABCONTROLW; break;
      case ControlKind::Label:
      case ControlKind::Other: style |= SS_LEFT; break;
      case ControlKind::Panel:
        // A panel draws nothing of its own: what lies under it shows through.
        exStyle |= WS_EX_TRANSPARENT;
        break;
      case ControlKind::Shape: break;
    }
    child->transparent = e.control->Transparent && (e.kind == ControlKind::Label || e.kind == ControlKind::Image);
    child->textColor = ColourOf(e.control->FontColor);
    HWND hwnd =
        CreateWindowExW(exStyle, windowClass, L"", style, 0, 0, 0, 0, window_.get(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), GetModuleHandleW(nullptr), nullptr);
    if (hwnd == nullptr) throw std::runtime_error("cannot create the window of " + e.control->Name());
    child->hwnd = hwnd;
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    if (e.kind == ControlKind::Edit) {
      const char mask = static_cast<const rtl::TEdit&>(*e.control).PasswordChar;
      if (mask != '\0')
        SendMessageW(hwnd, EM_SETPASSWORDCHAR, static_cast<WPARAM>(static_cast<unsigned char>(mask)), 0);
    }
    LoadPicture(*child);
    SetWindowSubclass(hwnd, &ChildProc, kSubclassId, reinterpret_cast<DWORD_PTR>(child.get()));
    SetWindowPos(hwnd, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = hwnd;
    children_.push_back(std::move(child));
  }
}

void FormWindow::PlaceChildren() {
  if (form_ == nullptr || !*formAlive_) return;
  RECT client{};
  GetClientRect(window_.get(), &client);
  const auto placement = LayOut(*form_, client.right, client.bottom, scale_);
  for (const auto& child : children_) {
    if (!Usable(*child)) continue;
    const auto at = placement.find(child->control);
    if (at == placement.end()) continue;
    child->bounds = at->second;
    Measure(*child);
  }
  // What lies beneath depends on where the shapes are.
  for (const auto& child : children_) {
    if (!Usable(*child)) continue;
    child->background = BeneathColour(*child);
    const Bounds& b = child->bounds;
    MoveWindow(child->hwnd, b.left, b.top, b.width, b.height, TRUE);
  }
}

void FormWindow::Measure(Child& child) {
  if (child.kind == ControlKind::Image && child.picture) {
    if (child.bounds.width == 0 || child.bounds.height == 0) {
      child.bounds.width = scale_(child.pictureWidth);
      child.bounds.height = scale_(child.pictureHeight);
    }
    FitBitmap(child, child.bounds.width, child.bounds.height);
  }
  if (child.kind != ControlKind::Label) return;
  // A label is at least as large as its caption, but a label of fixed size
  // (AutoSize = False) keeps the size its description gives.
  if (dynamic_cast<const rtl::TLabel*>(child.control) != nullptr && !child.control->AutoSize) return;
  const std::wstring caption = Shown(child.control->Caption());
  HDC dc = GetDC(child.hwnd);
  const HGDIOBJ old = SelectObject(dc, font_.get());
  SIZE size{};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(child.hwnd, dc);
  child.bounds.width = std::max(child.bounds.width, static_cast<int>(size.cx));
  child.bounds.height = std::max(child.bounds.height, static_cast<int>(size.cy));
}

COLORREF FormWindow::BeneathColour(const Child& child) const {
  if (child.kind == ControlKind::Shape) return ColourOf(static_cast<const rtl::TShape&>(*child.control).BrushColor);
  for (const auto& other : children_) {
    if (other->kind != ControlKind::Shape || !Usable(*other) || !ShownOnForm(*other->control)) continue;
    const Bounds& s = other->bounds;
    const Bounds& b = child.bounds;
    if (b.left >= s.left && b.top >= s.top && b.left < s.left + s.width && b.top < s.top + s.height) {
      return ColourOf(static_cast<const rtl::TShape&>(*other->control).BrushColor);
    }
  }
  return formColour_;
}

HBRUSH FormWindow::Brush(COLORREF colour) {
  auto at = brushes_.find(colour);
  if (at == brushes_.end()) at = brushes_.emplace(colour, OwnedBrush(CreateSolidBrush(colour))).first;
  return at->second.get();
}

void FormWindow::Show() {
  ShowWindow(window_.get(), SW_SHOW);
  SetForegroundWindow(window_.get());
  Sync();
}

void FormWindow::Sync() {
  if (form_ == nullptr || !*formAlive_) return;
  bool moved = false;
  for (const auto& child : children_) {
    if (!Usable(*child)) continue;
    rtl::TControl& control = *child->control;
    const bool shown = ShownOnForm(control);
    if (((GetWindowLongPtrW(child->hwnd, GWL_STYLE) & WS_VISIBLE) != 0) != shown) {
      ShowWindow(child->hwnd, shown ? SW_SHOWNA : SW_HIDE);
    }
    const bool enabled = EnabledOnForm(control);
    if ((IsWindowEnabled(child->hwnd) != FALSE) != enabled) EnableWindow(child->hwnd, enabled ? TRUE : FALSE);
    const bool textual = ShowsText(child->kind);
    if (textual && (!child->shownText || *child->shownText != control.Text())) {
      const std::wstring text = Shown(control.Text());
      child->shownText = control.Text();
      SetWindowTextW(child->hwnd, text.c_str());
      if (child->kind == ControlKind::Edit) {
        const auto end = static_cast<WPARAM>(GetWindowTextLengthW(child->hwnd));
        SendMessageW(child->hwnd, EM_SETSEL, end, static_cast<LPARAM>(end));
      }
      if (child->kind == ControlKind::Label) moved = true;
      InvalidateRect(child->hwnd, nullptr, TRUE);
    }
  }
  if (moved) PlaceChildren();
  const std::wstring caption = Shown(form_->Caption());
  wchar_t current[256] = {};
  GetWindowTextW(window_.get(), current, 256);
  if (caption != current) SetWindowTextW(window_.get(), caption.c_str());

  rtl::TWinControl* active = form_->ActiveControl();
  for (const auto& child : children_) {
    if (child->control == active && Usable(*child) && GetFocus() != child->hwnd && IsWindowVisible(child->hwnd)) {
      SetFocus(child->hwnd);
    }
  }
}

FormWindow::Child* FormWindow::ChildOf(HWND hwnd) noexcept {
  for (const auto& child : children_) {
    if (child->hwnd == hwnd) return child.get();
  }
  return nullptr;
}

void FormWindow::Hand(const rtl::InputEvent& event) {
  if (delivering_ || form_ == nullptr) return;
  delivering_ = true;
  deliver_(event);  // the form may be gone afterwards: then the front end has detached it
  delivering_ = false;
  Sync();
}

bool FormWindow::OnKeyboard(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  KeyboardInput::Result r;
  if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
    const bool system = message == WM_SYSKEYDOWN;
    rtl::TShiftState shift;
    shift.shift = GetKeyState(VK_SHIFT) < 0;
    shift.ctrl = GetKeyState(VK_CONTROL) < 0;
    // Bit 29 tells Alt was down when the key went, also for a key sent by a program.
    shift.alt = GetKeyState(VK_MENU) < 0 || (system && (lParam & (LPARAM{1} << 29)) != 0);
    r = keyboard_.KeyDown(static_cast<rtl::Word>(wParam), shift, system);
  } else {
    r = keyboard_.Char(static_cast<char16_t>(wParam), message == WM_SYSCHAR);
  }
  if (r.action == KeyboardInput::Action::Default) return false;
  if (delivering_ || form_ == nullptr) return true;  // a message box is up: the dialog takes no input
  if (r.action == KeyboardInput::Action::Deliver) Hand(r.event);
  else if (r.action == KeyboardInput::Action::Refuse) refuse_();
  return true;
}

LRESULT CALLBACK FormWindow::FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  try {
    return self->OnFormMessage(message, wParam, lParam);
  } catch (...) {
    // Nothing may leave a window procedure: the person is told as of any failure.
    rtl::Application->HandleException();
    return 0;
  }
}

LRESULT CALLBACK FormWindow::ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR data) {
  auto* child = reinterpret_cast<Child*>(data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &ChildProc, kSubclassId);
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  try {
    return child->owner->OnChildMessage(*child, message, wParam, lParam);
  } catch (...) {
    rtl::Application->HandleException();
    return 0;
  }
}

LRESULT FormWindow::OnFormMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = window_.get();
  switch (message) {
    case WM_ERASEBKGND: {
      RECT r{};
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, Brush(formColour_));
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const Child* child = ChildOf(reinterpret_cast<HWND>(lParam));
      if (child == nullptr) break;
      if (child->kind == ControlKind::Panel) return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, child->textColor);
      if (child->transparent) {
        // What lies beneath is painted already (PaintBeneath): the text goes over it.
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      }
      SetBkColor(dc, child->background);
      return reinterpret_cast<LRESULT>(Brush(child->background));
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      const Child* child = ChildOf(item.hwndItem);
      if (child == nullptr) break;
      if (child->kind == ControlKind::Button) DrawButton(*child, item);
      else DrawImage(*child, item);
      return TRUE;
    }
    case WM_COMMAND: {
      const Child* child = ChildOf(reinterpret_cast<HWND>(lParam));
      if (child != nullptr && child->kind == ControlKind::Button && HIWORD(wParam) == BN_CLICKED && Usable(*child)) {
        rtl::InputEvent e;
        e.kind = rtl::InputEvent::Kind::Click;
        e.control = child->control;
        Hand(e);
        return 0;
      }
      break;
    }
    case WM_CLOSE: {
      rtl::InputEvent e;
      e.kind = rtl::InputEvent::Kind::Close;
      Hand(e);
      return 0;  // the form decides; its windows go when the showing ends
    }
    case WM_SETFOCUS:
      // The window got the focus back (after a message box): it goes on to the form's active control.
      Sync();
      return 0;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) PlaceChildren();
      break;
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_NEXTDLGCTL: {
      if (form_ == nullptr || delivering_) return 0;
      try {
        if (LOWORD(lParam) != 0) {
          const Child* child = ChildOf(reinterpret_cast<HWND>(wParam));
          if (child != nullptr && Usable(*child)) {
            if (auto* win = dynamic_cast<rtl::TWinControl*>(child->control)) form_->SetActiveControl(win);
          }
        } else {
          form_->Perform(WM_NEXTDLGCTL, wParam != 0 ? 1 : 0, 0);
        }
      } catch (...) {
        rtl::Application->HandleException();
      }
      Sync();
      return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_SYSCHAR:
      if (OnKeyboard(hwnd, message, wParam, lParam)) return 0;
      break;
    default: break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT FormWindow::OnChildMessage(Child& child, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool edit = child.kind == ControlKind::Edit;
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_SYSCHAR:
      if (OnKeyboard(child.hwnd, message, wParam, lParam)) return 0;
      break;
    case WM_SETFOCUS: {
      const LRESULT result = DefSubclassProc(child.hwnd, message, wParam, lParam);
      // Focus the window system gave (a click, a program): the form follows.
      if (!delivering_ && Usable(child)) {
        auto* win = dynamic_cast<rtl::TWinControl*>(child.control);
        if (win != nullptr && win->CanFocus() && form_->ActiveControl() != win) form_->SetActiveControl(win);
      }
      return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (edit) {
        // The edit keeps no caret of its own: a click focuses it, typing goes to its end.
        if (Usable(child)) {
          rtl::InputEvent e;
          e.kind = rtl::InputEvent::Kind::Click;
          e.control = child.control;
          Hand(e);
        }
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      if (child.transparent) return 1;  // painted with the rest in WM_PAINT
      break;
    case WM_PAINT:
      if (child.transparent) {
        PaintTransparent(child);
        return 0;
      }
      break;
    case WM_PRINTCLIENT:
      if (child.transparent) PaintBeneath(child, reinterpret_cast<HDC>(wParam));
      break;
    case WM_CONTEXTMENU:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
      // The edit's text is the form's: the window never changes it itself.
      if (edit) return 0;
      break;
    default: break;
  }
  return DefSubclassProc(child.hwnd, message, wParam, lParam);
}

void FormWindow::PaintBeneath(const Child& child, HDC dc) {
  HWND form = window_.get();
  // Client rectangles in the form's client coordinates.
  auto clientOf = [form](HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, form, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const RECT own = clientOf(child.hwnd);
  const RECT area{0, 0, own.right - own.left, own.bottom - own.top};
  FillRect(dc, &area, Brush(formColour_));
  std::vector<HWND> beneath;  // nearest first
  for (HWND w = GetWindow(child.hwnd, GW_HWNDNEXT); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    RECT common{};
    const RECT theirs = clientOf(w);
    if (IsWindowVisible(w) && IntersectRect(&common, &own, &theirs)) beneath.push_back(w);
  }
  for (auto at = beneath.rbegin(); at != beneath.rend(); ++at) {
    const RECT theirs = clientOf(*at);
    const int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, theirs.left - own.left, theirs.top - own.top, nullptr);
    IntersectClipRect(dc, 0, 0, theirs.right - theirs.left, theirs.bottom - theirs.top);
    SendMessageW(*at, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(*at, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    RestoreDC(dc, saved);
  }
}

void FormWindow::PaintTransparent(Child& child) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(child.hwnd, &paint);
  RECT r{};
  GetClientRect(child.hwnd, &r);
  HDC memory = CreateCompatibleDC(dc);
  OwnedBitmap canvas(r.right > 0 && r.bottom > 0 ? CreateCompatibleBitmap(dc, r.right, r.bottom) : nullptr);
  if (memory != nullptr && canvas) {
    const HGDIOBJ old = SelectObject(memory, canvas.get());
    // What lies beneath, then the control's own drawing over it (WM_PRINTCLIENT above).
    SendMessageW(child.hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    BitBlt(dc, 0, 0, r.right, r.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
  }
  if (memory != nullptr) DeleteDC(memory);
  EndPaint(child.hwnd, &paint);
}

void FormWindow::DrawPicture(HDC dc, const Child& child, int left, int top, int width, int height) {
  if (!child.bitmap) return;
  HDC memory = CreateCompatibleDC(dc);
  const HGDIOBJ old = SelectObject(memory, child.bitmap.get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, left, top, width, height, memory, 0, 0, child.bitmapWidth, child.bitmapHeight, blend);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void FormWindow::DrawImage(const Child& child, const DRAWITEMSTRUCT& item) {
  // A transparent image has what lies beneath it painted already.
  if (!child.transparent) FillRect(item.hDC, &item.rcItem, Brush(child.background));
  DrawPicture(item.hDC, child, item.rcItem.left, item.rcItem.top, item.rcItem.right - item.rcItem.left,
              item.rcItem.bottom - item.rcItem.top);
}

void FormWindow::DrawButton(const Child& child, const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  const HGDIOBJ oldFont = SelectObject(dc, font_.get());
  const std::wstring caption = Shown(child.shownText.value_or(rtl::AnsiString()));
  RECT measured{0, 0, 0, 0};
  DrawTextW(dc, caption.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE);
  const int glyphWidth = child.bitmap ? child.bitmapWidth : 0;
  const int glyphHeight = child.bitmap ? child.bitmapHeight : 0;
  const int gap = glyphWidth > 0 && !caption.empty() ? scale_(kGlyphGap) : 0;
  const int shift = pushed ? scale_(1) : 0;
  const int left = r.left + (r.right - r.left - (glyphWidth + gap + measured.right)) / 2 + shift;
  DrawPicture(dc, child, left, r.top + (r.bottom - r.top - glyphHeight) / 2 + shift, glyphWidth, glyphHeight);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  RECT text{left + glyphWidth + gap, r.top + shift, r.right, r.bottom + shift};
  DrawTextW(dc, caption.c_str(), -1, &text,
            DT_SINGLELINE | DT_VCENTER | DT_LEFT | ((item.itemState & ODS_NOACCEL) != 0 ? DT_HIDEPREFIX : 0));
  SelectObject(dc, oldFont);
  if ((item.itemState & ODS_FOCUS) != 0) {
    InflateRect(&r, -scale_(kFocusInset), -scale_(kFocusInset));
    DrawFocusRect(dc, &r);
  }
}

}  // namespace host::win32
