// Ownership of components: owners destroy what they own exactly once, in
// any order of destruction; names; object lists; checked casts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/components/Component.h"
#include "runtime/components/ObjectList.h"
#include "runtime/controls/Control.h"
#include "runtime/except/Exceptions.h"

namespace {

using rtl::TComponent;

std::vector<std::string> gLog;

// Records its BeforeDestruction (with the class the object still is) and its
// destruction; may destroy a sibling from its destructor.
class Probe : public TComponent {
 public:
  Probe(TComponent* owner, std::string label) : TComponent(owner), label_(std::move(label)) {}
  ~Probe() override {
    gLog.push_back("~" + label_);
    if (victim != nullptr) rtl::Free(victim);
  }
  const char* ClassName() const noexcept override { return "Probe"; }
  void BeforeDestruction() noexcept override {
    TComponent::BeforeDestruction();
    gLog.push_back(std::string("before ") + label_ + " as " + ClassName());
  }
  TComponent* victim = nullptr;

 private:
  std::string label_;
};

// Counts the notifications it receives about the components it owns.
class Watcher : public TComponent {
 public:
  using TComponent::TComponent;
  int inserted = 0, removed = 0;

 protected:
  void Notification(TComponent* c, rtl::TOperation op) override {
    TComponent::Notification(c, op);
    ++(op == rtl::TOperation::Insert ? inserted : removed);
  }
};

using Log = std::vector<std::string>;

class Components : public ::testing::Test {
 protected:
  void SetUp() override { gLog.clear(); }
};

TEST_F(Components, OwnerFreesEachOwnedComponentOnceWhileItIsWhole) {
  {
    TComponent owner(nullptr);
    new Probe(&owner, "a");
    new Probe(&owner, "b");
  }
  EXPECT_EQ(gLog, (Log{"before b as Probe", "~b", "before a as Probe", "~a"}));
}

TEST_F(Components, ComponentDestroyedFirstDetachesFromItsOwner) {
  Watcher owner(nullptr);
  auto* a = new Probe(&owner, "a");
  new Probe(&owner, "b");
  EXPECT_EQ(owner.inserted, 2);
  rtl::Free(a);
  EXPECT_EQ(owner.ComponentCount(), 1u);
  EXPECT_EQ(owner.removed, 1);
  EXPECT_EQ(gLog, (Log{"before a as Probe", "~a"}));
}

TEST_F(Components, DestructorMayDestroyASibling) {
  {
    TComponent owner(nullptr);
    auto* earlier = new Probe(&owner, "earlier");
    auto* later = new Probe(&owner, "later");
    later->victim = earlier;  // the owner destroys later first
  }
  EXPECT_EQ(gLog, (Log{"before later as Probe", "~later", "before earlier as Probe", "~earlier"}));
}

TEST_F(Components, SetOwnerMovesBetweenOwners) {
  auto first = std::make_unique<Watcher>(nullptr);
  Watcher second(nullptr);
  auto* moving = new Probe(first.get(), "m");
  moving->SetName("Moving");
  moving->SetOwner(&second);
  EXPECT_EQ(first->ComponentCount(), 0u);
  EXPECT_EQ(first->removed, 1);
  EXPECT_EQ(second.inserted, 1);
  EXPECT_EQ(second.FindComponent("moving"), moving);
  first.reset();
  EXPECT_TRUE(gLog.empty()) << "the old owner no longer destroys it";

  TComponent third(nullptr);
  (new TComponent(&third))->SetName("MOVING");
  EXPECT_THROW(moving->SetOwner(&third), rtl::EComponentError) << "names stay unique among an owner's components";
  EXPECT_EQ(moving->Owner(), &second);
  moving->SetOwner(nullptr);
  EXPECT_EQ(second.ComponentCount(), 0u);
  rtl::Free(moving);
}

TEST_F(Components, NamesAreUniqueAmongSiblingsIgnoringCase) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("btnOK");
  b->SetName("edtName");
  EXPECT_EQ(owner.FindComponent("BTNok"), a);
  EXPECT_EQ(owner.FindComponent(""), nullptr) << "unnamed components are not found by the empty name";
  try {
    b->SetName("BTNOK");
    FAIL() << "expected EComponentError";
  } catch (const rtl::EComponentError& e) {
    EXPECT_EQ(e.Message(), "A component named BTNOK already exists");
  }
  EXPECT_EQ(b->Name(), "edtName");
  EXPECT_NO_THROW(a->SetName("BtnOk")) << "renaming to its own name in another case";
}

TEST_F(Components, ObjectListFreesOnlyWhatItOwns) {
  Probe kept(nullptr, "kept");
  {
    rtl::TObjectList borrowed(false);
    borrowed.Add(&kept);
  }
  EXPECT_TRUE(gLog.empty());
  TComponent form(nullptr);
  {
    rtl::TObjectList owning;
    owning.Add(new Probe(&form, "registered"));
    owning.Add(new Probe(nullptr, "loose"));
  }
  EXPECT_EQ(form.ComponentCount(), 0u) << "a freed entry leaves its owner";
  EXPECT_EQ(gLog, (Log{"before loose as Probe", "~loose", "before registered as Probe", "~registered"}));
}

TEST_F(Components, AsChecksTheClass) {
  Probe probe(nullptr, "p");
  EXPECT_EQ(&rtl::As<TComponent>(&probe), &probe);
  try {
    rtl::As<rtl::TControl>(&probe);
    FAIL() << "expected EInvalidCast";
  } catch (const rtl::EInvalidCast& e) {
    EXPECT_EQ(e.Message(), "Invalid class typecast");
  }
  EXPECT_THROW(rtl::As<TComponent>(nullptr), rtl::EInvalidCast);
}

}  // namespace
