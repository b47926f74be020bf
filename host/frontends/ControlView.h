// What a front end presents of a form's controls, for the terminal, the
// script and the native windows alike: which kind of control each is, where
// it was designed to stand, whether it is shown, enabled and focused, and
// the text it shows.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/forms/Form.h"

namespace host {

enum class ControlKind {
  Edit,        // takes typed text
  Button,      // pressed by click, Space or its accelerator
  Label,       // shows its caption
  Shape,       // a filled rectangle
  Bevel,       // a line
  Image,       // shows a picture
  TabControl,  // a container with tabs
  Panel,       // any other container
  Other,       // any other control; shown as a label would be
};

ControlKind KindOf(const rtl::TControl& control);
// An edit, a button or a label: a control whose text a front end shows.
bool ShowsText(ControlKind kind);

struct ControlView {
  rtl::TControl* control;
  ControlKind kind;
  int depth;      // 0 for a control that stands on the form itself
  int left, top;  // its designed position in the form's client area
  bool shown;     // it and every parent below the form are visible
  bool enabled;   // it and every parent are enabled
  bool focused;   // the form's active control
};

// Every control of the form, each parent before its children, in the order
// of their parents' lists.
std::vector<ControlView> ViewControls(const rtl::TCustomForm& form);

// It and every parent below the form are visible.
bool ShownOnForm(const rtl::TControl& control);
// It and every parent are enabled.
bool EnabledOnForm(const rtl::TControl& control);

// What the control shows as text: an edit's text as displayed (masked for a
// password), a button's or label's caption with its accelerator mark.
rtl::AnsiString ShownText(const rtl::TControl& control);

// The picture of an image control, the glyph of a button; null for others.
const std::vector<std::uint8_t>* PictureOf(const rtl::TControl& control);
const std::vector<std::uint8_t>* GlyphOf(const rtl::TControl& control);

}  // namespace host
