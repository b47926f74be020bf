// The base form's rights pass and the two shared routines, linked directly
// from the context edition's units.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>

#include "context/UBaseFrm.h"
#include "context/UGlobalFunUnt.h"
#include "context/UGlobalValue.h"
#include "runtime/controls/StdCtrls.h"
#include "runtime/db/ClientDataSet.h"
#include "suite/dxBar.h"
#include "tests/context/FakeHostContext.h"
#include "tests/support/DialogDriver.h"

std::span<const std::uint8_t> ContextResources();

namespace velmora::test {
namespace {

using suite::TdxBarItemVisible;

rtl::HINST ContextModule() {
  static const rtl::TLibModule module("Velmora", ContextResources());
  return &module;
}

// A form with nothing but the base form's description, for registering objects.
class GatedForm final : public context::TBaseForm {
 public:
  explicit GatedForm(rtl::TComponent* owner) : TBaseForm(owner) {}
};

// Function rights: (ModFunTyp, ModFunID) with the id as text, so that a
// lookup only finds the exact decimal text of a tag.
rtl::DataPacket Rights(std::initializer_list<std::pair<int, const char*>> rows) {
  rtl::DataPacket packet;
  packet.AddField("ModFunTyp", rtl::ftInteger).AddField("ModFunID", rtl::ftString);
  for (const auto& [type, id] : rows) packet.AppendRow({rtl::Variant(std::int32_t{type}), rtl::Variant(id)});
  return packet;
}

const char* Name(TdxBarItemVisible v) {
  switch (v) {
    case TdxBarItemVisible::ivNever: return "ivNever";
    case TdxBarItemVisible::ivInCustomizing: return "ivInCustomizing";
    case TdxBarItemVisible::ivAlways: return "ivAlways";
  }
  return "?";
}

class BaseFormTest : public ::testing::Test {
 protected:
  BaseFormTest() : host_("demo") {}

  void SetUp() override {
    context::HInstance = ContextModule();
    context::HostContext = &host_;
    rights_->SetPacket(Rights({{3, "101"}, {1, "102"}, {2, "103"}, {1, "103"}, {3, "-5"}, {3, "7"}, {3, "0"}}));
    host_.FunRightData = rights_.get();
    form_.reset(rtl::TCustomForm::Create<GatedForm>(rtl::Application, context::HInstance));
  }

  void TearDown() override {
    form_.reset();
    context::HostContext = nullptr;
    context::HInstance = nullptr;
  }

  rtl::TLabel* AddControl(std::int32_t tag, bool visible) {
    auto* control = new rtl::TLabel(form_.get());
    control->SetParent(form_.get());
    control->Tag = tag;
    control->SetVisible(visible);
    form_->FRightObjList->Add(control);
    return control;
  }

  suite::TdxBarButton* AddBarButton(std::int32_t tag) {
    auto* button = new suite::TdxBarButton(form_.get());
    button->Tag = tag;
    button->Visible = TdxBarItemVisible::ivInCustomizing;
    form_->FRightObjList->Add(button);
    return button;
  }

  // Shows the form modally; the driver has no input, so it closes at once.
  void ShowForm() {
    DialogDriver driver(log_);
    FrontEndScope scope(driver);
    form_->ShowModal();
  }

  std::string CurrentId() const { return rights_->FieldByName("ModFunID")->AsString(); }

  FakeHostContext host_;
  rtl::Owned<rtl::TClientDataSet> rights_{new rtl::TClientDataSet(nullptr)};
  rtl::Owned<GatedForm> form_;
  host::SessionLog log_;
};

using FunctionRights = BaseFormTest;

TEST_F(FunctionRights, EmptyListLeavesTheRightsDatasetUntouched) {
  rights_->SetFilter("ModFunTyp = 1");
  rights_->SetFiltered(true);
  rights_->Next();
  ShowForm();
  EXPECT_EQ(rights_->Filter(), "ModFunTyp = 1") << "expected the filter kept, got " << Readable(rights_->Filter());
  EXPECT_TRUE(rights_->Filtered()) << "expected filtering still on, got it off";
  EXPECT_EQ(rights_->RecNo(), 2u) << "expected the cursor on row 2, got " << rights_->RecNo();
}

TEST_F(FunctionRights, EachEntryIsShownExactlyWhenItsTagIsGrantedAsFunctionTypeThree) {
  struct Case {
    std::int32_t tag;
    bool granted;
    const char* why;
  };
  const Case cases[] = {{101, true, "granted as type 3"},
                        {102, false, "only under type 1"},
                        {103, false, "only under types 1 and 2"},
                        {0, true, "looked up as 0"},
                        {-5, true, "looked up as -5"},
                        {-7, false, "7 is granted, -7 is not"},
                        {999, false, "not in the rights at all"}};
  struct Entries {
    rtl::TLabel* first;
    rtl::TLabel* second;  // the same tag twice
    suite::TdxBarButton* button;
  };
  std::vector<Entries> entries;
  for (const Case& c : cases) {
    entries.push_back({AddControl(c.tag, !c.granted), AddControl(c.tag, !c.granted), AddBarButton(c.tag)});
  }
  ShowForm();
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(::testing::Message() << "tag " << c.tag << ": " << c.why);
    EXPECT_EQ(entries[i].first->Visible(), c.granted) << "expected Visible " << c.granted << ", got " << !c.granted;
    EXPECT_EQ(entries[i].second->Visible(), c.granted)
        << "expected the second entry of the same tag Visible " << c.granted << ", got " << !c.granted;
    const TdxBarItemVisible expected = c.granted ? TdxBarItemVisible::ivAlways : TdxBarItemVisible::ivNever;
    EXPECT_EQ(entries[i].button->Visible, expected)
        << "expected " << Name(expected) << ", got " << Name(entries[i].button->Visible);
  }
}

TEST_F(FunctionRights, LeavesTheDatasetFilteredOnTypeThreeWhereTheLastLookupWent) {
  AddControl(-5, true);
  AddControl(0, true);
  ShowForm();
  EXPECT_EQ(rights_->Filter(), "ModFunTyp = 3") << "expected \"ModFunTyp = 3\", got " << Readable(rights_->Filter());
  EXPECT_TRUE(rights_->Filtered()) << "expected filtering on, got it off";
  EXPECT_EQ(CurrentId(), "0") << "expected the cursor on ModFunID 0, got " << CurrentId();
}

TEST_F(FunctionRights, EntryOfAnotherClassRaisesInvalidCastAfterEarlierEntriesWereSet) {
  rtl::TLabel* before = AddControl(101, false);
  form_->FRightObjList->Add(new rtl::TComponent(nullptr));
  rtl::TLabel* after = AddControl(101, false);
  try {
    ShowForm();
    ADD_FAILURE() << "expected an invalid-cast error out of ShowModal, got none";
  } catch (const rtl::EInvalidCast&) {
  }
  EXPECT_TRUE(before->Visible()) << "expected the earlier entry shown, got it hidden";
  EXPECT_FALSE(after->Visible()) << "expected the later entry untouched (hidden), got it shown";
  EXPECT_FALSE(form_->Visible()) << "expected the form hidden again, got it visible";
}

TEST_F(FunctionRights, MissingRightsDatasetRaisesWhenTheListIsNotEmpty) {
  host_.FunRightData = nullptr;
  rtl::TLabel* entry = AddControl(101, false);
  EXPECT_THROW(ShowForm(), rtl::Exception);
  EXPECT_FALSE(entry->Visible()) << "expected the entry untouched (hidden), got it shown";
}

// Counts its destructions, to show each registered object goes exactly once.
template <class Base>
class Counted final : public Base {
 public:
  Counted(rtl::TComponent* owner, int& destroyed) : Base(owner), destroyed_(destroyed) {}
  ~Counted() override { ++destroyed_; }

 private:
  int& destroyed_;
};

TEST_F(FunctionRights, FormDestroyDestroysEveryRegisteredObjectExactlyOnce) {
  int control = 0, button = 0, unowned = 0;
  auto* label = new Counted<rtl::TLabel>(form_.get(), control);
  label->SetParent(form_.get());
  form_->FRightObjList->Add(label);
  form_->FRightObjList->Add(new Counted<suite::TdxBarButton>(form_.get(), button));
  form_->FRightObjList->Add(new Counted<rtl::TComponent>(nullptr, unowned));
  form_.reset();
  EXPECT_EQ(control, 1) << "expected the control destroyed once, got " << control;
  EXPECT_EQ(button, 1) << "expected the bar button destroyed once, got " << button;
  EXPECT_EQ(unowned, 1) << "expected the unowned object destroyed once, got " << unowned;
}

using DataSetFilter = BaseFormTest;

TEST_F(DataSetFilter, BlankTextSwitchesFilteringOffAndEmptiesFilter) {
  for (const char* blank : {"", "   ", "\t\r\n "}) {
    SCOPED_TRACE(Readable(blank));
    rights_->SetFilter("ModFunTyp = 1");
    rights_->SetFiltered(true);
    context::SetDataSetFilter(rights_.get(), blank);
    EXPECT_FALSE(rights_->Filtered()) << "expected filtering off, got it on";
    EXPECT_EQ(rights_->Filter(), "") << "expected an empty Filter, got " << Readable(rights_->Filter());
    EXPECT_EQ(rights_->RecordCount(), 7u) << "expected all 7 rows, got " << rights_->RecordCount();
  }
}

TEST_F(DataSetFilter, TextWithBlanksAroundIsKeptAsGivenAndApplied) {
  context::SetDataSetFilter(rights_.get(), "  ModFunTyp = 3 ");
  EXPECT_EQ(rights_->Filter(), "  ModFunTyp = 3 ") << "expected the text with its blanks, got "
                                                   << Readable(rights_->Filter());
  EXPECT_TRUE(rights_->Filtered()) << "expected filtering on, got it off";
  EXPECT_EQ(rights_->RecordCount(), 4u) << "expected the 4 rows of type 3, got " << rights_->RecordCount();
}

TEST_F(DataSetFilter, NullDatasetDoesNothing) { EXPECT_NO_THROW(context::SetDataSetFilter(nullptr, "ModFunTyp = 3")); }

using Prompt = BaseFormTest;

TEST_F(Prompt, PassesTheTextByReferenceToPrompt) {
  context::ShowPrompt("口令修改成功!");
  const std::vector<rtl::AnsiString> expected{"口令修改成功!"};
  EXPECT_EQ(host_.prompt->texts, expected) << "expected " << Readable(expected) << ", got "
                                           << Readable(host_.prompt->texts);
  ASSERT_EQ(host_.prompt->argumentTypes.size(), 1u);
  EXPECT_EQ(host_.prompt->argumentTypes[0], rtl::VarType::ByRef)
      << "expected a by-reference variant, got " << rtl::Variant::TypeName(host_.prompt->argumentTypes[0]);
}

TEST_F(Prompt, FailingPromptRaisesInTheCaller) {
  host_.prompt->failWhen = [](const rtl::AnsiString&) { return true; };
  EXPECT_THROW(context::ShowPrompt("x"), rtl::EOleException);
}

}  // namespace
}  // namespace velmora::test
