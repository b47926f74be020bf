#include "runtime/controls/Control.h"

#include <algorithm>

#include "runtime/except/Exceptions.h"

namespace rtl {

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() {
  if (parent_ != nullptr) {
    if (IFormSite* form = FormSite()) form->ControlRemoved(this);
    parent_->RemoveControl(this);
  }
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  for (TWinControl* p = parent; p != nullptr; p = p->Parent()) {
    if (p == this) throw EInvalidOperation("A control cannot have itself as its parent");
  }
  if (parent_ != nullptr) {
    if (IFormSite* form = FormSite()) form->ControlRemoved(this);
    parent_->RemoveControl(this);
  }
  if (parent != nullptr) parent->InsertControl(this);
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible && parent_ != nullptr) {
    if (IFormSite* form = FormSite()) form->ControlRemoved(this);
  }
  visible_ = visible;
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  if (!enabled && parent_ != nullptr) {
    if (IFormSite* form = FormSite()) form->ControlRemoved(this);
  }
  enabled_ = enabled;
}

bool TControl::Showing() const noexcept {
  for (const TControl* c = this; c != nullptr; c = c->parent_) {
    if (!c->visible_) return false;
  }
  return true;
}

void TControl::SetText(const AnsiString& text) { text_ = text; }

void TControl::Click() {
  if (enabled_ && OnClick) OnClick(this);
}

std::intptr_t TControl::Perform(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) {
  return WndProc(message, wParam, lParam);
}

std::intptr_t TControl::WndProc(std::uint32_t, std::intptr_t, std::intptr_t) { return 0; }

IFormSite* TControl::FormSite() const noexcept {
  const TControl* top = this;
  while (top->parent_ != nullptr) top = top->parent_;
  return dynamic_cast<IFormSite*>(const_cast<TControl*>(top));
}

bool TControl::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "Left") Left = value.AsInt32();
  else if (name == "Top") Top = value.AsInt32();
  else if (name == "Width") Width = value.AsInt32();
  else if (name == "Height") Height = value.AsInt32();
  else if (name == "Visible") visible_ = value.AsBoolean();
  else if (name == "Enabled") enabled_ = value.AsBoolean();
  else if (name == "Caption" || name == "Text") SetText(value.AsText());
  else if (name == "AutoSize") AutoSize = value.AsBoolean();
  else if (name == "Transparent") Transparent = value.AsBoolean();
  else if (name == "Color") Color = value.AsColor();
  else if (name == "Font.Color") FontColor = value.AsColor();
  else if (name == "Align") {
    Align = static_cast<TAlign>(value.AsEnum({"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}));
  } else if (name == "Anchors") {
    TAnchors anchors;
    value.AsFlags({{"akLeft", &anchors.left},
                   {"akTop", &anchors.top},
                   {"akRight", &anchors.right},
                   {"akBottom", &anchors.bottom}});
    Anchors = anchors;
  } else {
    return TComponent::SetProperty(name, value);
  }
  return true;
}

bool TControl::SetEvent(std::string_view name, const PublishedMethod& method) {
  if (name == "OnClick") return AssignEvent(OnClick, method);
  return TComponent::SetEvent(name, method);
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  if (Parent() != nullptr) {
    if (IFormSite* form = FormSite()) form->ControlRemoved(this);
  }
  // The parent destroys its child controls; each is taken off the list first.
  while (!controls_.empty()) {
    TControl* child = controls_.back();
    controls_.pop_back();
    child->parent_ = nullptr;
    Free(child);
  }
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  control->parent_ = this;
  if (auto* win = dynamic_cast<TWinControl*>(control)) win->insertion_ = ++insertions_;
}

void TWinControl::RemoveControl(TControl* control) {
  const auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it != controls_.end()) controls_.erase(it);
  control->parent_ = nullptr;
}

void TWinControl::SetTabOrder(int order) { tabOrder_ = order; }

bool TWinControl::CanFocus() const noexcept {
  for (const TControl* c = this; c != nullptr; c = c->Parent()) {
    if (!c->Visible() || !c->Enabled()) return false;
  }
  return FormSite() != nullptr;
}

bool TWinControl::Focused() const noexcept {
  const IFormSite* form = FormSite();
  return form != nullptr && form->ActiveControl() == this;
}

void TWinControl::SetFocus() {
  IFormSite* form = FormSite();
  if (form == nullptr || !CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  form->SetActiveControl(this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  std::vector<TWinControl*> children;
  for (TControl* c : controls_) {
    if (auto* win = dynamic_cast<TWinControl*>(c)) children.push_back(win);
  }
  // Explicit tab orders first, in their order; ties and unset ones by insertion.
  std::stable_sort(children.begin(), children.end(), [](const TWinControl* a, const TWinControl* b) {
    const bool aSet = a->tabOrder_ >= 0;
    const bool bSet = b->tabOrder_ >= 0;
    if (aSet != bSet) return aSet;
    if (a->tabOrder_ != b->tabOrder_) return a->tabOrder_ < b->tabOrder_;
    return a->insertion_ < b->insertion_;
  });
  for (TWinControl* child : children) {
    list.push_back(child);
    child->GetTabOrderList(list);
  }
}

void TWinControl::KeyDown(Word& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::InsertText(const AnsiString&) {}

bool TWinControl::WantsKey(Word) const noexcept { return false; }

bool TWinControl::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "TabOrder") SetTabOrder(value.AsInt32());
  else if (name == "TabStop") TabStop = value.AsBoolean();
  else return TControl::SetProperty(name, value);
  return true;
}

bool TWinControl::SetEvent(std::string_view name, const PublishedMethod& method) {
  if (name == "OnKeyDown") return AssignEvent(OnKeyDown, method);
  if (name == "OnKeyPress") return AssignEvent(OnKeyPress, method);
  return TControl::SetEvent(name, method);
}

bool TWinControl::AdoptChild(TComponent* child) {
  auto* control = dynamic_cast<TControl*>(child);
  if (control == nullptr) return false;
  control->SetParent(this);
  return true;
}

}  // namespace rtl
