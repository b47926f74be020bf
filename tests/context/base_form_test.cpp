// The base form's rights pass and the two shared routines, linked directly
// from the context edition's units.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>

#include "ContextResources.h"
#include "context/UBaseFrm.h"
#include "context/UGlobalFunUnt.h"
#include "context/UGlobalValue.h"
#include "runtime/controls/StdCtrls.h"
#include "runtime/db/ClientDataSet.h"
#include "suite/dxBar.h"
#include "tests/context/ContextFixture.h"

namespace velmora::test {
namespace {

using suite::TdxBarItemVisible;

rtl::HINST ContextModule() {
  static const rtl::TLibModule module("Velmora", context::ContextResources());
  return &module;
}

// A form with nothing but the base form's description, for registering objects.
class GatedForm final : public context::TBaseForm {
 public:
  explicit GatedForm(rtl::TComponent* owner) : TBaseForm(owner) {}
};

class BaseFormTest : public ::testing::Test {
 protected:
  BaseFormTest() : host_("demo") {}

  void SetUp() override {
    context::HInstance = ContextModule();
    context::HostContext = &host_;
    // Function rights (ModFunTyp, ModFunID) with the id as text, so that a
    // lookup only finds the exact decimal text of a tag.
    rtl::DataPacket rights;
    rights.AddField("ModFunTyp", rtl::ftInteger).AddField("ModFunID", rtl::ftString);
    for (const auto& [type, id] :
         {std::pair{3, "101"}, {1, "102"}, {2, "103"}, {1, "103"}, {3, "-5"}, {3, "7"}, {3, "0"}}) {
      rights.AppendRow({rtl::Variant(std::int32_t{type}), rtl::Variant(id)});
    }
    rights_->SetPacket(rights);
    host_.FunRightData = rights_.get();
    form_.reset(rtl::TCustomForm::Create<GatedForm>(rtl::Application, context::HInstance));
  }

  void TearDown() override {
    form_.reset();
    context::HostContext = nullptr;
    context::HInstance = nullptr;
  }

  rtl::TLabel* AddControl(std::int32_t tag, bool visible) {
    auto* control = rtl::Add<rtl::TLabel>(*form_);
    control->SetParent(form_.get());
    control->Tag = tag;
    control->SetVisible(visible);
    form_->FRightObjList->Add(control);
    return control;
  }

  // Shows the form modally; the driver has no input, so it closes at once.
  void ShowForm() {
    DialogDriver driver;
    const rtl::FrontEndScope scope(driver);
    form_->ShowModal();
  }

  FakeHostContext host_;
  rtl::Owned<rtl::TClientDataSet> rights_ = rtl::Add<rtl::TClientDataSet>(nullptr);
  rtl::Owned<GatedForm> form_;
};

using FunctionRights = BaseFormTest;

TEST_F(FunctionRights, EmptyListLeavesTheRightsDatasetUntouched) {
  rights_->SetFilter("ModFunTyp = 1");
  rights_->SetFiltered(true);
  rights_->Next();
  ShowForm();
  EXPECT_EQ(rights_->Filter(), "ModFunTyp = 1");
  EXPECT_TRUE(rights_->Filtered());
  EXPECT_EQ(rights_->RecNo(), 2u);
}

TEST_F(FunctionRights, EachEntryIsShownExactlyWhenItsTagIsGrantedAsFunctionTypeThree) {
  struct Case {
    std::int32_t tag;
    bool granted;
    const char* why;
  };
  const Case cases[] = {
      {101, true, "granted as type 3"}, {102, false, "only under type 1"},      {103, false, "only under 1 and 2"},
      {-5, true, "looked up as -5"},    {-7, false, "7 is granted, -7 is not"}, {999, false, "not in the rights"},
      {0, true, "looked up as 0"}};
  struct Entries {
    rtl::TLabel* first;
    rtl::TLabel* second;  // the same tag twice
    suite::TdxBarButton* button;
  };
  std::vector<Entries> entries;
  for (const Case& c : cases) {
    auto* button = new suite::TdxBarButton(form_.get());
    button->Tag = c.tag;
    button->Visible = TdxBarItemVisible::ivInCustomizing;
    entries.push_back({AddControl(c.tag, !c.granted), AddControl(c.tag, !c.granted), button});
    form_->FRightObjList->Add(button);
  }
  ShowForm();
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(::testing::Message() << "tag " << cases[i].tag << ": " << cases[i].why);
    EXPECT_EQ(entries[i].first->Visible(), cases[i].granted);
    EXPECT_EQ(entries[i].second->Visible(), cases[i].granted);
    EXPECT_TRUE(entries[i].button->Visible ==
                (cases[i].granted ? TdxBarItemVisible::ivAlways : TdxBarItemVisible::ivNever));
  }
  // The dataset is left filtered on type 3 where the last lookup went.
  EXPECT_EQ(rights_->Filter(), "ModFunTyp = 3");
  EXPECT_TRUE(rights_->Filtered());
  EXPECT_EQ(rights_->FieldByName("ModFunID")->AsString(), "0");
}

TEST_F(FunctionRights, EntryOfAnotherClassRaisesInvalidCastAfterEarlierEntriesWereSet) {
  rtl::TLabel* before = AddControl(101, false);
  form_->FRightObjList->Add(new rtl::TComponent(nullptr));
  rtl::TLabel* after = AddControl(101, false);
  EXPECT_THROW(ShowForm(), rtl::EInvalidCast);
  EXPECT_TRUE(before->Visible()) << "expected the earlier entry shown";
  EXPECT_FALSE(after->Visible()) << "expected the later entry untouched";
  EXPECT_FALSE(form_->Visible()) << "expected the form hidden again";
}

TEST_F(FunctionRights, MissingRightsDatasetRaisesWhenTheListIsNotEmpty) {
  host_.FunRightData = nullptr;
  rtl::TLabel* entry = AddControl(101, false);
  EXPECT_THROW(ShowForm(), rtl::Exception);
  EXPECT_FALSE(entry->Visible()) << "expected the entry untouched";
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
  EXPECT_EQ(control, 1);
  EXPECT_EQ(button, 1);
  EXPECT_EQ(unowned, 1);
}

TEST_F(BaseFormTest, SetDataSetFilterAppliesTheTextAsGivenOrSwitchesFilteringOffWhenBlank) {
  const std::tuple<const char*, bool, std::size_t> cases[] = {
      {"", false, 7}, {"\t\r\n ", false, 7}, {"  ModFunTyp = 3 ", true, 4}};
  for (const auto& [text, filtered, rows] : cases) {
    SCOPED_TRACE(Readable(text));
    rights_->SetFilter("ModFunTyp = 1");
    rights_->SetFiltered(true);
    context::SetDataSetFilter(rights_.get(), text);
    EXPECT_EQ(rights_->Filter(), filtered ? text : "");
    EXPECT_EQ(rights_->Filtered(), filtered);
    EXPECT_EQ(rights_->RecordCount(), rows);
  }
  EXPECT_NO_THROW(context::SetDataSetFilter(nullptr, "ModFunTyp = 3"));
}

TEST_F(BaseFormTest, ShowPromptPassesTheTextByReferenceAndRaisesWhenPromptFails) {
  context::ShowPrompt("口令修改成功!");
  EXPECT_EQ(host_.prompt->texts, std::vector<rtl::AnsiString>{"口令修改成功!"});
  EXPECT_EQ(host_.prompt->argumentTypes, std::vector<rtl::VarType>{rtl::VarType::ByRef});
  host_.prompt->refuse = true;
  EXPECT_THROW(context::ShowPrompt("x"), rtl::EOleException);
}

}  // namespace
}  // namespace velmora::test
