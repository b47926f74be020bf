#include "host/frontends/ControlView.h"

#include "runtime/controls/ExtCtrls.h"
#include "runtime/controls/StdCtrls.h"
#include "suite/cxControls.h"

namespace host {
namespace {

template <class T>
bool Is(const rtl::TControl& control) {
  return dynamic_cast<const T*>(&control) != nullptr;
}

void Collect(const rtl::TWinControl& parent, const rtl::TCustomForm& form, int depth, std::vector<ControlView>& out) {
  for (rtl::TControl* c : parent.Controls()) {
    int left = 0, top = 0;
    for (const rtl::TControl* at = c; at != nullptr && at != &form; at = at->Parent()) left += at->Left, top += at->Top;
    out.push_back({c, KindOf(*c), depth, left, top, ShownOnForm(*c), EnabledOnForm(*c), form.ActiveControl() == c});
    if (const auto* win = dynamic_cast<const rtl::TWinControl*>(c)) Collect(*win, form, depth + 1, out);
  }
}

}  // namespace

ControlKind KindOf(const rtl::TControl& control) {
  if (Is<rtl::TEdit>(control)) return ControlKind::Edit;
  if (Is<rtl::TButton>(control)) return ControlKind::Button;
  if (Is<rtl::TLabel>(control)) return ControlKind::Label;
  if (Is<rtl::TShape>(control)) return ControlKind::Shape;
  if (Is<rtl::TBevel>(control)) return ControlKind::Bevel;
  if (PictureOf(control) != nullptr) return ControlKind::Image;
  if (Is<suite::TcxTabControl>(control)) return ControlKind::TabControl;
  if (Is<rtl::TWinControl>(control)) return ControlKind::Panel;
  return ControlKind::Other;
}

bool ShowsText(ControlKind kind) {
  return kind == ControlKind::Edit || kind == ControlKind::Button || kind == ControlKind::Label;
}

std::vector<ControlView> ViewControls(const rtl::TCustomForm& form) {
  std::vector<ControlView> views;
  Collect(form, form, 0, views);
  return views;
}

bool ShownOnForm(const rtl::TControl& control) {
  for (const rtl::TControl* c = &control; c != nullptr && c->Parent() != nullptr; c = c->Parent()) {
    if (!c->Visible()) return false;
  }
  return true;
}

bool EnabledOnForm(const rtl::TControl& control) {
  for (const rtl::TControl* c = &control; c != nullptr; c = c->Parent()) {
    if (!c->Enabled()) return false;
  }
  return true;
}

rtl::AnsiString ShownText(const rtl::TControl& control) {
  if (const auto* edit = dynamic_cast<const rtl::TEdit*>(&control)) return edit->DisplayText();
  return control.Caption();
}

const std::vector<std::uint8_t>* PictureOf(const rtl::TControl& control) {
  if (const auto* image = dynamic_cast<const rtl::TImage*>(&control)) return &image->Picture;
  if (const auto* image = dynamic_cast<const suite::TcxImage*>(&control)) return &image->Picture;
  return nullptr;
}

const std::vector<std::uint8_t>* GlyphOf(const rtl::TControl& control) {
  if (const auto* button = dynamic_cast<const rtl::TBitBtn*>(&control)) return &button->Glyph;
  if (const auto* button = dynamic_cast<const suite::TcxButton*>(&control)) return &button->Glyph;
  return nullptr;
}

}  // namespace host
