// The base form's description, its rights pass and the two shared routines,
// linked directly from the context edition's units.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
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

// The toolkit's clBtnFace: system colour 15.
constexpr std::int32_t kClBtnFace = static_cast<std::int32_t>(0x8000000Fu);

rtl::HINST ContextModule() {
  static const rtl::TLibModule module("Velmora", context::ContextResources());
  return &module;
}

// A form with nothing but the base form's description, for registering
// objects. Hiding a registered control tells the form, which then runs
// onControlRemoved: the one point inside the rights pass a test can reach.
class GatedForm final : public context::TBaseForm {
 public:
  explicit GatedForm(rtl::TComponent* owner) : TBaseForm(owner) {}

  void ControlRemoved(rtl::TControl* control) noexcept override {
    if (onControlRemoved) onControlRemoved();
    TBaseForm::ControlRemoved(control);
  }

  std::function<void()> onControlRemoved;
};

// A descendant with its own rights pass, which only counts its runs.
class OverridingForm final : public context::TBaseForm {
 public:
  explicit OverridingForm(rtl::TComponent* owner) : TBaseForm(owner) {}
  void ApplyFunRights() override { ++passes; }
  int passes = 0;
};

// Function rights (ModFunTyp, ModFunID) with the id as text, so that a
// lookup only finds the exact decimal text of a tag.
rtl::DataPacket Rights(std::initializer_list<std::pair<std::int32_t, const char*>> rows) {
  rtl::DataPacket rights;
  rights.AddField("ModFunTyp", rtl::ftInteger).AddField("ModFunID", rtl::ftString);
  for (const auto& [type, id] : rows) rights.AppendRow({rtl::Variant(type), rtl::Variant(id)});
  return rights;
}

rtl::DataPacket DefaultRights() {
  return Rights({{3, "101"}, {1, "102"}, {2, "103"}, {1, "103"}, {3, "-5"}, {3, "7"}, {3, "0"}});
}

// Shows a form modally; the driver has no input, so it closes at once.
void ShowModally(rtl::TCustomForm& form) {
  DialogDriver driver;
  const rtl::FrontEndScope scope(driver);
  form.ShowModal();
}

class BaseFormTest : public ::testing::Test {
 protected:
  BaseFormTest() : host_("demo") {}

  void SetUp() override {
    context::HInstance = ContextModule();
    context::HostContext = &host_;
    rights_->SetPacket(DefaultRights());
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

  suite::TdxBarButton* AddButton(std::int32_t tag) {
    auto* button = new suite::TdxBarButton(form_.get());
    button->Tag = tag;
    button->Visible = TdxBarItemVisible::ivInCustomizing;
    form_->FRightObjList->Add(button);
    return button;
  }

  void ShowForm() { ShowModally(*form_); }

  FakeHostContext host_;
  rtl::Owned<rtl::TClientDataSet> rights_ = rtl::Add<rtl::TClientDataSet>(nullptr);
  rtl::Owned<GatedForm> form_;
};

using BaseFormDescription = BaseFormTest;

TEST_F(BaseFormDescription, GivesTheFormItsDescribedProperties) {
  EXPECT_EQ(form_->Caption(), "基类窗体") << Readable(form_->Caption());
  EXPECT_EQ(form_->Left, 288);
  EXPECT_EQ(form_->Top, 74);
  EXPECT_EQ(form_->Width, 636);
  EXPECT_EQ(form_->Height, 446);
  EXPECT_EQ(form_->Color, kClBtnFace);
  EXPECT_EQ(form_->FontHeight, -13);
  EXPECT_EQ(form_->FontName, "宋体") << Readable(form_->FontName);
}

TEST_F(BaseFormDescription, ControllerKindIsOffice11) {
  ASSERT_NE(form_->cxLookAndFeelController1, nullptr);
  EXPECT_TRUE(form_->cxLookAndFeelController1->Kind == suite::TcxLookAndFeelKind::lfOffice11);
}

struct StyleCase {
  const char* name;
  suite::TcxStyle* context::TBaseForm::*style;
  std::int32_t color;
};

void PrintTo(const StyleCase& c, std::ostream* os) { *os << c.name; }

class BaseFormStyle : public BaseFormTest, public ::testing::WithParamInterface<StyleCase> {};

TEST_P(BaseFormStyle, AssignsOnlyItsColour) {
  const suite::TcxStyle* style = (*form_).*GetParam().style;
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->Color, GetParam().color);
  EXPECT_TRUE(style->AssignedValues.color);
  EXPECT_FALSE(style->AssignedValues.font || style->AssignedValues.textColor || style->AssignedValues.bitmap);
  ASSERT_NE(form_->cxStyleRepository1, nullptr);
  EXPECT_EQ(form_->cxStyleRepository1->Count(), 2u) << "expected both styles items of the repository";
}

INSTANTIATE_TEST_SUITE_P(Styles, BaseFormStyle,
                         ::testing::Values(StyleCase{"cxStyle1", &context::TBaseForm::cxStyle1, 16510676},
                                           StyleCase{"cxStyle2", &context::TBaseForm::cxStyle2, 16776176}),
                         CaseName());

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

TEST_F(FunctionRights, EmptyListNeedsNoHostContext) {
  context::HostContext = nullptr;
  EXPECT_NO_THROW(ShowForm());
}

struct TagCase {
  const char* name;
  std::int32_t tag;
  bool granted;
};

void PrintTo(const TagCase& c, std::ostream* os) { *os << c.name; }

class GrantedTag : public BaseFormTest, public ::testing::WithParamInterface<TagCase> {};

// Each tag is registered twice as a control and once as a bar button; a bar
// button never gets the third visibility value.
TEST_P(GrantedTag, ShowsEachEntryExactlyWhenGrantedAsFunctionTypeThree) {
  const bool granted = GetParam().granted;
  rtl::TLabel* first = AddControl(GetParam().tag, !granted);
  rtl::TLabel* second = AddControl(GetParam().tag, !granted);
  suite::TdxBarButton* button = AddButton(GetParam().tag);
  ShowForm();
  EXPECT_EQ(first->Visible(), granted);
  EXPECT_EQ(second->Visible(), granted);
  EXPECT_TRUE(button->Visible == (granted ? TdxBarItemVisible::ivAlways : TdxBarItemVisible::ivNever));
}

INSTANTIATE_TEST_SUITE_P(
    Tags, GrantedTag,
    ::testing::Values(TagCase{"GrantedAsTypeThree", 101, true}, TagCase{"OnlyUnderTypeOne", 102, false},
                      TagCase{"OnlyUnderTypesOneAndTwo", 103, false}, TagCase{"NegativeLookedUpWithItsSign", -5, true},
                      TagCase{"NegatedGrantedId", -7, false}, TagCase{"NotInTheRights", 999, false},
                      TagCase{"ZeroLookedUpAsZero", 0, true}),
    CaseName());

TEST_F(FunctionRights, PassLeavesTheRightsFilteredOnTypeThreeWhereTheLastLookupWent) {
  AddControl(101, false);
  AddControl(0, false);
  ShowForm();
  EXPECT_EQ(rights_->Filter(), "ModFunTyp = 3");
  EXPECT_TRUE(rights_->Filtered());
  EXPECT_EQ(rights_->FieldByName("ModFunID")->AsString(), "0");
}

TEST_F(FunctionRights, ChangedRightsTakeEffectAtTheNextShow) {
  rtl::TLabel* entry = AddControl(555, true);
  ShowForm();
  ASSERT_FALSE(entry->Visible()) << "expected the entry hidden at the first show";
  rights_->SetPacket(Rights({{3, "555"}}));
  ShowForm();
  EXPECT_TRUE(entry->Visible()) << "expected the second show to run the pass again";
}

TEST_F(FunctionRights, DescendantsOverrideRunsInsteadOfTheBasePass) {
  const rtl::Owned<OverridingForm> form(rtl::TCustomForm::Create<OverridingForm>(rtl::Application, context::HInstance));
  auto* entry = rtl::Add<rtl::TLabel>(*form);
  entry->Tag = 101;
  entry->SetVisible(false);
  form->FRightObjList->Add(entry);
  ShowModally(*form);
  EXPECT_EQ(form->passes, 1);
  EXPECT_FALSE(entry->Visible()) << "expected the base pass not run";
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

// The rights dataset loses ModFunID once the first entry has been hidden.
TEST_F(FunctionRights, RightsWithoutModFunIdRaiseLeavingLaterEntriesAsTheyWere) {
  rtl::TLabel* before = AddControl(999, true);
  rtl::TLabel* after = AddControl(101, false);
  form_->onControlRemoved = [this] {
    rtl::DataPacket noIds;
    noIds.AddField("ModFunTyp", rtl::ftInteger).AppendRow({rtl::Variant(std::int32_t{3})});
    rights_->SetPacket(noIds);
  };
  EXPECT_THROW(ShowForm(), rtl::EDatabaseError);
  EXPECT_FALSE(before->Visible()) << "expected the earlier entry hidden";
  EXPECT_FALSE(after->Visible()) << "expected the later entry untouched";
}

struct MissingCase {
  const char* name;
  bool noContext;  // else the context has no rights dataset
};

void PrintTo(const MissingCase& c, std::ostream* os) { *os << c.name; }

class MissingRights : public BaseFormTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(MissingRights, RaiseOutOfTheShowWhenTheListIsNotEmpty) {
  if (GetParam().noContext) {
    context::HostContext = nullptr;
  } else {
    host_.FunRightData = nullptr;
  }
  rtl::TLabel* entry = AddControl(101, false);
  EXPECT_THROW(ShowForm(), rtl::Exception);
  EXPECT_FALSE(entry->Visible()) << "expected the entry untouched";
}

INSTANTIATE_TEST_SUITE_P(Hosts, MissingRights,
                         ::testing::Values(MissingCase{"NoHostContext", true}, MissingCase{"NoRightsDataset", false}),
                         CaseName());

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

struct FilterCase {
  const char* name;
  const char* text;
  bool filtered;
  std::size_t rows;
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }

class SetDataSetFilter : public BaseFormTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(SetDataSetFilter, AppliesTheTextAsGivenOrSwitchesFilteringOffWhenBlank) {
  rights_->SetFilter("ModFunTyp = 1");
  rights_->SetFiltered(true);
  context::SetDataSetFilter(rights_.get(), GetParam().text);
  EXPECT_EQ(rights_->Filter(), GetParam().filtered ? GetParam().text : "");
  EXPECT_EQ(rights_->Filtered(), GetParam().filtered);
  EXPECT_EQ(rights_->RecordCount(), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(Texts, SetDataSetFilter,
                         ::testing::Values(FilterCase{"Empty", "", false, 7},
                                           FilterCase{"BlanksAndControlCharacters", "\t\r\n ", false, 7},
                                           FilterCase{"BlanksAroundKept", "  ModFunTyp = 3 ", true, 4}),
                         CaseName());

TEST_F(BaseFormTest, SetDataSetFilterIgnoresAnEmptyDataset) {
  EXPECT_NO_THROW(context::SetDataSetFilter(nullptr, "ModFunTyp = 3"));
}

TEST_F(BaseFormTest, ShowPromptPassesTheTextByReference) {
  context::ShowPrompt("口令修改成功!");
  EXPECT_EQ(host_.prompt->texts, std::vector<rtl::AnsiString>{"口令修改成功!"});
  EXPECT_EQ(host_.prompt->argumentTypes, std::vector<rtl::VarType>{rtl::VarType::ByRef});
}

TEST_F(BaseFormTest, ShowPromptRaisesWhenPromptFails) {
  host_.prompt->refuse = true;
  EXPECT_THROW(context::ShowPrompt("x"), rtl::EOleException);
}

}  // namespace
}  // namespace velmora::test
