// TObject and TComponent: the ownership model of the toolkit.
//
// The ownership rule, for every object of the toolkit and of its users:
//   - Every object has exactly one owner, and is destroyed once, through
//     Free, which runs BeforeDestruction and then the destructors.
//   - A component made with an owner belongs to it: Add<T>(owner, ...)
//     makes it and returns a plain T*, which never owns. The owner destroys
//     its components when it is destroyed. (A control also belongs to the
//     control it is placed on, which destroys it too: whichever goes first
//     takes it.)
//   - An object made without an owner belongs to its maker, who holds it in
//     an Owned<T>, the one owning handle: Add<T>(nullptr, ...) or
//     MakeOwned<T>(...) gives one. Objects never live on the stack or in a
//     plain pointer that is expected to destroy them. The one exception is
//     the application object, which is never destroyed (forms/Application.h).
//   - An object destroyed before its owner first detaches itself from the
//     owner (and from its parent control), so nothing is destroyed twice.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/components/Events.h"
#include "runtime/components/Properties.h"
#include "runtime/text/Text.h"

namespace rtl {

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  virtual const char* ClassName() const noexcept { return "TObject"; }
  // Runs while the whole object still exists, just before it is destroyed by
  // Free: the place for destroy events that need the most derived class.
  virtual void BeforeDestruction() noexcept {}
};

// Destroys obj the toolkit's way: BeforeDestruction, then the destructors.
// Every owner, parent and list destroys what it owns through Free.
void Free(TObject* obj) noexcept;

struct FreeDeleter {
  void operator()(TObject* obj) const noexcept { Free(obj); }
};

// Sole ownership of an object that is destroyed with Free.
template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;

// Makes an object that its maker owns.
template <class T, class... Args>
requires std::derived_from<T, TObject> Owned<T> MakeOwned(Args&&... args) {
  return Owned<T>(new T(std::forward<Args>(args)...));
}

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  const char* ClassName() const noexcept override { return "TComponent"; }

  TComponent* Owner() const noexcept { return owner_; }
  const AnsiString& Name() const noexcept { return name_; }
  // Raises EComponentError when a sibling already has the name.
  void SetName(const AnsiString& name);

  // The 32-bit integer every component carries for its users.
  std::int32_t Tag = 0;

  std::size_t ComponentCount() const noexcept { return components_.size(); }
  TComponent* Components(std::size_t index) const { return components_.at(index).get(); }
  TComponent* FindComponent(std::string_view name) const noexcept;
  // True when component is one of the components this one owns; compares
  // addresses only, so it is safe for a pointer that may be stale.
  bool Owns(const void* component) const noexcept;

  // Moves this component to another owner (or none), removing it from the old
  // one first. Raises EComponentError, and stays, when the new owner already
  // has a component of its name.
  void SetOwner(TComponent* owner);

  bool Destroying() const noexcept { return destroying_; }
  // A flag that turns false when this component is destroyed, for code that
  // runs handlers which may destroy it and must not touch it afterwards.
  std::shared_ptr<const bool> AliveFlag() const;
  void BeforeDestruction() noexcept override { destroying_ = true; }

  // Sets a property from a form description. Returns false for a name the
  // class does not have; the loader reports that as an error.
  virtual bool SetProperty(std::string_view name, const PropertyValue& value);
  // Binds an event of a form description (OnClick = btnOKClick). Returns false
  // for an event the class does not have; raises EReadError when the handler
  // has the wrong kind.
  virtual bool SetEvent(std::string_view name, const PublishedMethod& method);
  // Takes a nested component of a form description whose parent this is.
  virtual bool AdoptChild(TComponent* child);

 private:
  // Destroys the owned components, each taken out of the list before it is
  // deleted, since a destructor may delete a sibling.
  void DestroyComponents();
  void Insert(TComponent* component);
  void Remove(TComponent* component);

  TComponent* owner_ = nullptr;
  AnsiString name_;
  std::vector<Owned<TComponent>> components_;
  bool destroying_ = false;
  mutable std::shared_ptr<bool> alive_;
};

// Makes a component of class T that owner owns; the pointer does not own it.
template <class T, class... Args>
requires std::derived_from<T, TComponent> T* Add(TComponent& owner, Args&&... args) {
  return new T(&owner, std::forward<Args>(args)...);
}

// Makes a component of class T without an owner: its maker owns it.
template <class T, class... Args>
requires std::derived_from<T, TComponent> Owned<T> Add(std::nullptr_t, Args&&... args) {
  return MakeOwned<T>(nullptr, std::forward<Args>(args)...);
}

// Converts obj to T, raising EInvalidCast ("Invalid class typecast") when it is not one.
template <class T>
T& As(TObject* obj);

}  // namespace rtl

#include "runtime/components/Component.inl"
