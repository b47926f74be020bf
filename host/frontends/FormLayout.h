// Where a form's controls lie in its client area. Descriptions give each
// control's position within its parent as designed; aligned controls fill
// their parent's edges or what is left of it, and controls anchored to the
// right or bottom keep their distance to that edge when the parent's size
// differs from the design. On a display of other pixels per inch than the
// description's, every designed length is scaled first, as the toolkit did.
#pragma once

#include <map>

#include "runtime/forms/Form.h"

namespace host {

struct Bounds {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

// The ratio from the pixels of a description to those of a display: shown
// over made for (pixels per inch). The default changes nothing.
struct Scale {
  int shown = 96, designed = 96;

  // A length or coordinate scaled, rounded to the nearest pixel (halves away
  // from nought, as the platform's MulDiv).
  int operator()(int pixels) const noexcept;
  // Scaled by edges: controls that touch at design still touch when scaled.
  Bounds operator()(const Bounds& bounds) const noexcept;
  // A font's height scaled, rounded toward nought: text never grows more
  // than the room scaled for it, so a caption that fit at design still fits.
  int FontHeight(int height) const noexcept;
  friend bool operator==(const Scale&, const Scale&) = default;
};

// The scale of a form on a display of dpi pixels per inch: by the
// description's PixelsPerInch, none for a form that is not Scaled.
Scale ScaleOf(const rtl::TCustomForm& form, int dpi) noexcept;

// The client area the form was designed for: as described, else that of a
// child filling it, else the outer size less a frame of the design era;
// then scaled.
Bounds DesignedClientArea(const rtl::TCustomForm& form, Scale scale = {});

// Every control on the form, placed in a client area of width x height;
// positions are relative to the client area, not to the parent.
std::map<const rtl::TControl*, Bounds> LayOut(const rtl::TCustomForm& form, int width, int height, Scale scale = {});

}  // namespace host
