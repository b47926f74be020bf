// Where a form's controls lie in its client area. Descriptions give each
// control's position within its parent as designed; aligned controls fill
// their parent's edges or what is left of it, and controls anchored to the
// right or bottom keep their distance to that edge when the parent's size
// differs from the design.
#pragma once

#include <map>

#include "runtime/forms/Form.h"

namespace host {

struct Bounds {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

// The client area the form was designed for: as described, else that of a
// child filling it, else the outer size less a frame of the design era.
Bounds DesignedClientArea(const rtl::TCustomForm& form);

// Every control on the form, placed in a client area of width x height;
// positions are relative to the client area, not to the parent.
std::map<const rtl::TControl*, Bounds> LayOut(const rtl::TCustomForm& form, int width, int height);

}  // namespace host
