#include "host/frontends/FormLayout.h"

#include <algorithm>
#include <vector>

namespace host {
namespace {

// Frame and caption of a sizeable window when the descriptions were made.
constexpr int kDesignFrameWidth = 8;
constexpr int kDesignFrameHeight = 27;

using Placement = std::map<const rtl::TControl*, Bounds>;

// Lays out parent's children in a parent area placed at area (absolute),
// designed as designWidth x designHeight.
void LayOutChildren(const rtl::TWinControl& parent, const Bounds& area, int designWidth, int designHeight,
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
    local[c] = {rest.left, rest.top, rest.width, c->Height};
    if (c->Visible()) rest.top += c->Height, rest.height -= c->Height;
  }
  const auto& bottoms = aligned[static_cast<int>(rtl::TAlign::Bottom)];
  for (std::size_t i = bottoms.size(); i-- > 0;) {  // last first
    const rtl::TControl* c = bottoms[i];
    local[c] = {rest.left, rest.top + rest.height - c->Height, rest.width, c->Height};
    if (c->Visible()) rest.height -= c->Height;
  }
  for (const rtl::TControl* c : aligned[static_cast<int>(rtl::TAlign::Left)]) {
    local[c] = {rest.left, rest.top, c->Width, rest.height};
    if (c->Visible()) rest.left += c->Width, rest.width -= c->Width;
  }
  const auto& rights = aligned[static_cast<int>(rtl::TAlign::Right)];
  for (std::size_t i = rights.size(); i-- > 0;) {  // last first
    const rtl::TControl* c = rights[i];
    local[c] = {rest.left + rest.width - c->Width, rest.top, c->Width, rest.height};
    if (c->Visible()) rest.width -= c->Width;
  }
  for (const rtl::TControl* c : aligned[static_cast<int>(rtl::TAlign::Client)]) local[c] = rest;
  for (const rtl::TControl* c : aligned[static_cast<int>(rtl::TAlign::None)]) {
    Bounds b{c->Left, c->Top, c->Width, c->Height};
    const int dx = area.width - designWidth, dy = area.height - designHeight;
    if (c->Anchors.right) (c->Anchors.left ? b.width : b.left) += dx;
    if (c->Anchors.bottom) (c->Anchors.top ? b.height : b.top) += dy;
    local[c] = b;
  }

  for (const auto& [control, b] : local) {
    const Bounds placed{area.left + b.left, area.top + b.top, std::max(b.width, 0), std::max(b.height, 0)};
    out[control] = placed;
    if (const auto* win = dynamic_cast<const rtl::TWinControl*>(control)) {
      LayOutChildren(*win, placed, control->Width, control->Height, out);
    }
  }
}

}  // namespace

Bounds DesignedClientArea(const rtl::TCustomForm& form) {
  if (form.ClientWidth > 0 && form.ClientHeight > 0) return {0, 0, form.ClientWidth, form.ClientHeight};
  for (const rtl::TControl* c : form.Controls()) {
    if (c->Align == rtl::TAlign::Client) return {0, 0, c->Left + c->Width, c->Top + c->Height};
  }
  return {0, 0, std::max(form.Width - kDesignFrameWidth, 0), std::max(form.Height - kDesignFrameHeight, 0)};
}

std::map<const rtl::TControl*, Bounds> LayOut(const rtl::TCustomForm& form, int width, int height) {
  Placement out;
  const Bounds design = DesignedClientArea(form);
  LayOutChildren(form, {0, 0, width, height}, design.width, design.height, out);
  return out;
}

}  // namespace host
