#include "host/frontends/FormLayout.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace host {
namespace {

// Frame and caption of a sizeable window when the descriptions were made.
constexpr int kDesignFrameWidth = 8;
constexpr int kDesignFrameHeight = 27;

using Placement = std::map<const rtl::TControl*, Bounds>;

// A control's bounds as designed, at the display's scale.
Bounds Designed(const rtl::TControl& c, Scale scale) { return scale(Bounds{c.Left, c.Top, c.Width, c.Height}); }

// Lays out parent's children in a parent area placed at area (absolute),
// designed (and scaled) as designWidth x designHeight.
void LayOutChildren(const rtl::TWinControl& parent, const Bounds& area, int designWidth, int designHeight, Scale scale,
                    Placement& out) {
  Bounds rest{0, 0, area.width, area.height};  // what the aligned controls leave, relative to area
  auto byTop = [](const rtl::TControl* a, const rtl::TControl* b) { return a->Top < b->Top; };
  auto byLeft = [](const rtl::TControl* a, const rtl::TControl* b) { return a->Left < b->Left; };
  std::vector<const rtl::TControl*> aligned[6];
  for (const rtl::TControl* c : parent.Controls()) aligned[static_cast<int>(c->Align)].push_back(c);
  for (auto& list : aligned) std::stable_sort(list.begin(), list.end(), byTop);
  std::stable_sort(aligned[static_cast<int>(rtl::TAlign::Left)].begin(),
                   aligned[static_cast<int>(rtl::TAlign::Left)].end(), byLeft);
  std::stable_sort(aligned[static_cast<int>(rtl::TAlign::Right)].begin(),
                   aligned[static_cast<int>(rtl::TAlign::Right)].end(), byLeft);

  Placement local;
  for (const rtl::TControl* c : aligned[static_cast<int>(rtl::TAlign::Top)]) {
    const int height = Designed(*c, scale).height;
    local[c] = {rest.left, rest.top, rest.width, height};
    if (c->Visible()) rest.top += height, rest.height -= height;
  }
  const auto& bottoms = aligned[static_cast<int>(rtl::TAlign::Bottom)];
  for (std::size_t i = bottoms.size(); i-- > 0;) {  // last first
    const rtl::TControl* c = bottoms[i];
    const int height = Designed(*c, scale).height;
    local[c] = {rest.left, rest.top + rest.height - height, rest.width, height};
    if (c->Visible()) rest.height -= height;
  }
  for (const rtl::TControl* c : aligned[static_cast<int>(rtl::TAlign::Left)]) {
    const int width = Designed(*c, scale).width;
    local[c] = {rest.left, rest.top, width, rest.height};
    if (c->Visible()) rest.left += width, rest.width -= width;
  }
  const auto& rights = aligned[static_cast<int>(rtl::TAlign::Right)];
  for (std::size_t i = rights.size(); i-- > 0;) {  // last first
    const rtl::TControl* c = rights[i];
    const int width = Designed(*c, scale).width;
    local[c] = {rest.left + rest.width - width, rest.top, width, rest.height};
    if (c->Visible()) rest.width -= width;
  }
  for (const rtl::TControl* c : aligned[static_cast<int>(rtl::TAlign::Client)]) local[c] = rest;
  for (const rtl::TControl* c : aligned[static_cast<int>(rtl::TAlign::None)]) {
    Bounds b = Designed(*c, scale);
    const int dx = area.width - designWidth, dy = area.height - designHeight;
    if (c->Anchors.right) (c->Anchors.left ? b.width : b.left) += dx;
    if (c->Anchors.bottom) (c->Anchors.top ? b.height : b.top) += dy;
    local[c] = b;
  }

  for (const auto& [control, b] : local) {
    const Bounds placed{area.left + b.left, area.top + b.top, std::max(b.width, 0), std::max(b.height, 0)};
    out[control] = placed;
    if (const auto* win = dynamic_cast<const rtl::TWinControl*>(control)) {
      const Bounds designed = Designed(*control, scale);
      LayOutChildren(*win, placed, designed.width, designed.height, scale, out);
    }
  }
}

}  // namespace

int Scale::operator()(int pixels) const noexcept {
  if (designed <= 0 || shown == designed) return pixels;
  const std::int64_t product = std::int64_t{pixels} * shown;
  const std::int64_t half = designed / 2;
  return static_cast<int>(product >= 0 ? (product + half) / designed : (product - half) / designed);
}

Bounds Scale::operator()(const Bounds& b) const noexcept {
  const Scale& s = *this;
  const int left = s(b.left), top = s(b.top);
  return {left, top, s(b.left + b.width) - left, s(b.top + b.height) - top};
}

int Scale::FontHeight(int height) const noexcept {
  if (designed <= 0) return height;
  return static_cast<int>(std::int64_t{height} * shown / designed);
}

Scale ScaleOf(const rtl::TCustomForm& form, int dpi) noexcept {
  if (!form.Scaled || dpi <= 0) return {};
  return {dpi, form.PixelsPerInch};
}

Bounds DesignedClientArea(const rtl::TCustomForm& form, Scale scale) {
  Bounds design{0, 0, std::max(form.Width - kDesignFrameWidth, 0), std::max(form.Height - kDesignFrameHeight, 0)};
  if (form.ClientWidth > 0 && form.ClientHeight > 0) {
    design = {0, 0, form.ClientWidth, form.ClientHeight};
  } else {
    for (const rtl::TControl* c : form.Controls()) {
      if (c->Align == rtl::TAlign::Client) {
        design = {0, 0, c->Left + c->Width, c->Top + c->Height};
        break;
      }
    }
  }
  return scale(design);
}

std::map<const rtl::TControl*, Bounds> LayOut(const rtl::TCustomForm& form, int width, int height, Scale scale) {
  Placement out;
  const Bounds design = DesignedClientArea(form, scale);
  LayOutChildren(form, {0, 0, width, height}, design.width, design.height, scale, out);
  return out;
}

}  // namespace host
