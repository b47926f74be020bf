#include "runtime/components/Component.h"

#include <algorithm>

#include "runtime/except/Exceptions.h"

namespace rtl {

void Free(TObject* obj) noexcept {
  if (obj == nullptr) return;
  obj->BeforeDestruction();
  delete obj;
}

TComponent::TComponent(TComponent* owner) {
  if (owner != nullptr) owner->Insert(this);
}

TComponent::~TComponent() {
  destroying_ = true;
  if (alive_) *alive_ = false;
  DestroyComponents();
  if (owner_ != nullptr) owner_->Remove(this);
}

std::shared_ptr<const bool> TComponent::AliveFlag() const {
  if (!alive_) alive_ = std::make_shared<bool>(true);
  return alive_;
}

void TComponent::DestroyComponents() {
  destroying_ = true;
  while (!components_.empty()) {
    Owned<TComponent> child = std::move(components_.back());
    components_.pop_back();
    child->owner_ = nullptr;
    child.reset();
  }
}

void TComponent::SetName(const AnsiString& name) {
  if (owner_ != nullptr && !name.empty()) {
    TComponent* same = owner_->FindComponent(name);
    if (same != nullptr && same != this) throw EComponentError("A component named " + name + " already exists");
  }
  name_ = name;
}

TComponent* TComponent::FindComponent(std::string_view name) const noexcept {
  if (name.empty()) return nullptr;
  for (const auto& c : components_) {
    if (SameText(c->name_, name)) return c.get();  // component names ignore letter case
  }
  return nullptr;
}

bool TComponent::Owns(const void* component) const noexcept {
  return std::any_of(components_.begin(), components_.end(),
                     [component](const auto& c) { return c.get() == component; });
}

void TComponent::SetOwner(TComponent* owner) {
  if (owner == owner_) return;
  // Names stay unique among an owner's components, as SetName keeps them.
  if (owner != nullptr && !name_.empty() && owner->FindComponent(name_) != nullptr) {
    throw EComponentError("A component named " + name_ + " already exists");
  }
  if (owner_ != nullptr) owner_->Remove(this);
  if (owner != nullptr) owner->Insert(this);
}

void TComponent::Insert(TComponent* component) {
  components_.emplace_back(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  const auto it =
      std::find_if(components_.begin(), components_.end(), [component](const auto& c) { return c.get() == component; });
  if (it == components_.end()) return;
  static_cast<void>(it->release());  // the component is leaving, not being destroyed by us
  components_.erase(it);
  component->owner_ = nullptr;
}

bool TComponent::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "Name") {
    SetName(value.AsText());
    return true;
  }
  if (name == "Tag") {
    Tag = value.AsInt32();
    return true;
  }
  return false;
}

bool TComponent::AdoptChild(TComponent*) { return false; }

bool TComponent::SetEvent(std::string_view, const PublishedMethod&) { return false; }

}  // namespace rtl
