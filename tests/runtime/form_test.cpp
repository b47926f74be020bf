// Components, controls and forms: owners destroy what they own exactly
// once, names stay unique among an owner's components; parents and focus,
// tab order, key and text input through a form, default exception handling,
// and modal showing. Closing and cancelling the real dialogs is exercised by
// the context and automation suites.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/components/Component.h"
#include "runtime/components/ObjectList.h"
#include "runtime/controls/StdCtrls.h"
#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/Expectations.h"

namespace {

using rtl::TButton;
using rtl::TComponent;
using rtl::TEdit;
using rtl::TWinControl;
using velmora::test::CaseName;
using velmora::test::ClickEvent;
using velmora::test::KeyEvent;
using velmora::test::Send;
using velmora::test::TextEvent;
using Log = std::vector<std::string>;

Log gLog;

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

class Components : public ::testing::Test {
 protected:
  void SetUp() override { gLog.clear(); }
};

TEST_F(Components, OwnerFreesEachOwnedComponentOnceWhileItIsWhole) {
  {
    const auto owner = rtl::Add<TComponent>(nullptr);
    auto* gone = rtl::Add<Probe>(*owner, "gone");
    auto* earlier = rtl::Add<Probe>(*owner, "earlier");
    auto* later = rtl::Add<Probe>(*owner, "later");
    later->victim = earlier;  // the owner destroys later first
    rtl::Free(gone);
    EXPECT_EQ(owner->ComponentCount(), 2u) << "a component destroyed first leaves its owner";
  }
  EXPECT_EQ(gLog, (Log{"before gone as Probe", "~gone", "before later as Probe", "~later", "before earlier as Probe",
                       "~earlier"}));
}

TEST_F(Components, NamesStayUniqueAmongAnOwnersComponentsAsTheyMove) {
  auto first = rtl::Add<TComponent>(nullptr);
  const auto second = rtl::Add<TComponent>(nullptr);
  auto* unnamed = rtl::Add<TComponent>(*second);
  auto* moving = rtl::Add<Probe>(*first, "m");
  moving->SetName("Moving");
  moving->SetOwner(second.get());
  EXPECT_EQ(first->ComponentCount(), 0u);
  EXPECT_EQ(second->FindComponent("moving"), moving);
  EXPECT_EQ(second->FindComponent(""), nullptr) << "unnamed components are not found by the empty name";
  first.reset();
  EXPECT_TRUE(gLog.empty()) << "the old owner no longer destroys it";
  EXPECT_NO_THROW(moving->SetName("MOVING")) << "its own name in another case";
  EXPECT_THROW(unnamed->SetName("moving"), rtl::EComponentError);
  EXPECT_EQ(unnamed->Name(), "");

  const auto third = rtl::Add<TComponent>(nullptr);
  rtl::Add<TComponent>(*third)->SetName("Moving");
  EXPECT_THROW(moving->SetOwner(third.get()), rtl::EComponentError);
  EXPECT_EQ(moving->Owner(), second.get());
  moving->SetOwner(nullptr);
  EXPECT_EQ(second->ComponentCount(), 1u);
  rtl::Free(moving);
}

class TTestForm : public rtl::TForm {
 public:
  explicit TTestForm(rtl::TComponent* owner = nullptr) : TForm(owner) {}

  // A control owned by the form, on parent (the form by default).
  template <class T>
  T* Add(const std::string& name, TWinControl* parent = nullptr) {
    auto* control = rtl::Add<T>(*this);
    control->SetName(name);
    control->SetParent(parent != nullptr ? parent : this);
    return control;
  }
  std::string FocusName() const { return ActiveControl() != nullptr ? ActiveControl()->Name() : "(none)"; }
};

class CountedEdit : public TEdit {
 public:
  static inline int destroyed = 0;
  using TEdit::TEdit;
  ~CountedEdit() override { ++destroyed; }
};

TEST(Controls, ParentDestroysTheChildControlsNoOwnerDestroys) {
  CountedEdit::destroyed = 0;
  {
    const auto panel = rtl::Add<TWinControl>(nullptr);
    // Each control without an owner is handed to its parent.
    TWinControl* inner = rtl::Add<TWinControl>(nullptr).release();
    inner->SetParent(panel.get());
    rtl::Add<CountedEdit>(nullptr).release()->SetParent(inner);
    rtl::Add<CountedEdit>(nullptr).release()->SetParent(panel.get());
  }
  EXPECT_EQ(CountedEdit::destroyed, 2);
}

// A shown form with a panel holding an edit.
struct PanelForm {
  PanelForm() {
    form->Show();
    panel = form->Add<TWinControl>("panel");
    edit = form->Add<TEdit>("edit", panel);
  }
  rtl::Owned<TTestForm> form = rtl::Add<TTestForm>(nullptr);
  TWinControl* panel;
  TEdit* edit;
};

// Focus leaves a control that goes away (focus first, then act); SetFocus
// raises for a control that cannot take it (act, then focus). A destroyed
// control leaves its parent: the sanitizer sees any dangling child.
struct FocusCase {
  std::string name;
  void (*act)(PanelForm& f);
};
void PrintTo(const FocusCase& c, std::ostream* os) { *os << c.name; }

class FocusLeaves : public ::testing::TestWithParam<FocusCase> {};

TEST_P(FocusLeaves, AFocusedEditThatCannotKeepIt) {
  PanelForm f;
  f.edit->SetFocus();
  ASSERT_TRUE(f.edit->Focused());
  GetParam().act(f);
  EXPECT_EQ(f.form->ActiveControl(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Edits, FocusLeaves,
                         ::testing::Values(FocusCase{"Destroyed", [](PanelForm& f) { rtl::Free(f.edit); }},
                                           FocusCase{"Hidden", [](PanelForm& f) { f.edit->SetVisible(false); }},
                                           FocusCase{"Disabled", [](PanelForm& f) { f.edit->SetEnabled(false); }},
                                           FocusCase{"PanelHidden", [](PanelForm& f) { f.panel->SetVisible(false); }},
                                           FocusCase{"PanelDestroyed", [](PanelForm& f) { rtl::Free(f.panel); }}),
                         CaseName());

class FocusRefused : public ::testing::TestWithParam<FocusCase> {};

TEST_P(FocusRefused, SetFocusRaises) {
  PanelForm f;
  GetParam().act(f);
  try {
    f.edit->SetFocus();
    ADD_FAILURE() << "expected EInvalidOperation";
  } catch (const rtl::EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "Cannot focus a disabled or invisible window");
  }
  EXPECT_EQ(f.form->ActiveControl(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Edits, FocusRefused,
                         ::testing::Values(FocusCase{"Hidden", [](PanelForm& f) { f.edit->SetVisible(false); }},
                                           FocusCase{"InADisabledPanel",
                                                     [](PanelForm& f) { f.panel->SetEnabled(false); }},
                                           FocusCase{"OnAFormNotShown", [](PanelForm& f) { f.form->Hide(); }},
                                           FocusCase{"OnNoForm", [](PanelForm& f) { f.edit->SetParent(nullptr); }}),
                         CaseName());

// Focus after each WM_NEXTDLGCTL (0, 0), or (1, 0) backwards, from no focus;
// as many steps as expected has names.
std::string Walk(TTestForm& form, std::intptr_t backwards, const std::string& expected) {
  form.SetActiveControl(nullptr);
  std::string visited;
  for (auto steps = std::count(expected.begin(), expected.end(), ' ') + 1; steps > 0; --steps) {
    form.Perform(rtl::WM_NEXTDLGCTL, backwards, 0);
    if (!visited.empty()) visited += ' ';
    visited += form.FocusName();
  }
  return visited;
}

struct Ctl {
  const char* name;         // "-a": destroy a
  const char* parent = "";  // "" for the form
  int tabOrder = -1;        // -1: not set
  bool tabStop = true, enabled = true, visible = true, container = false;
};

struct TabOrderCase {
  std::string name;
  std::vector<Ctl> controls;
  std::string forward, backward;
};

void PrintTo(const TabOrderCase& c, std::ostream* os) { *os << c.name; }

// A shown form with the case's controls.
class TabOrder : public ::testing::TestWithParam<TabOrderCase> {
 protected:
  void SetUp() override {
    form->Show();
    for (const Ctl& ctl : GetParam().controls) {
      if (*ctl.name == '-') {
        rtl::Free(form->FindComponent(ctl.name + 1));
        continue;
      }
      TWinControl* parent = *ctl.parent != '\0' ? &rtl::As<TWinControl>(form->FindComponent(ctl.parent)) : nullptr;
      TWinControl* control =
          ctl.container ? form->Add<TWinControl>(ctl.name, parent) : form->Add<TEdit>(ctl.name, parent);
      if (ctl.tabOrder >= 0) control->SetTabOrder(ctl.tabOrder);
      if (!ctl.container) control->TabStop = ctl.tabStop;
      control->SetEnabled(ctl.enabled);
      control->SetVisible(ctl.visible);
    }
  }
  rtl::Owned<TTestForm> form = rtl::Add<TTestForm>(nullptr);
};

TEST_P(TabOrder, NextDialogControlWalksForward) { EXPECT_EQ(Walk(*form, 0, GetParam().forward), GetParam().forward); }

TEST_P(TabOrder, PreviousDialogControlWalksBackward) {
  EXPECT_EQ(Walk(*form, 1, GetParam().backward), GetParam().backward);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TabOrder,
    ::testing::Values(
        TabOrderCase{"InsertionOrder", {{"a"}, {"b"}, {"c"}}, "a b c a", "c b a c"},
        TabOrderCase{"TiesByInsertion", {{"a", "", 1}, {"b", "", 0}, {"c", "", 1}}, "b a c b", "c a b c"},
        TabOrderCase{"AddedAfterRemovalsComesLast", {{"a"}, {"b"}, {"c"}, {"-a"}, {"-b"}, {"d"}}, "c d c", "d c d"},
        TabOrderCase{"ExplicitBeforeUnset", {{"a"}, {"b", "", 0}}, "b a b", "a b a"},
        TabOrderCase{"NestedContainerInItsPlace",
                     {{"a", "", 1}, {"p", "", 0, false, true, true, true}, {"x", "p", 1}, {"y", "p", 0}},
                     "y x a y",
                     "a x y a"},
        TabOrderCase{"TabStopOffSkipped", {{"a"}, {"b", "", -1, false}, {"c"}}, "a c a", "c a c"},
        TabOrderCase{"DisabledSkipped", {{"a"}, {"b", "", -1, true, false}, {"c"}}, "a c a", "c a c"},
        TabOrderCase{"InsideAHiddenContainerSkipped",
                     {{"a"}, {"p", "", -1, false, true, false, true}, {"x", "p"}, {"c"}},
                     "a c a",
                     "c a c"},
        TabOrderCase{"SingleControlKeepsTheFocus", {{"a"}}, "a a", "a a"},
        TabOrderCase{"NothingToFocus", {{"a", "", -1, false}}, "(none)", "(none)"}),
    CaseName());

// A shown form with edits a and b and buttons ok ("确定(&O)") and cancel
// ("&Cancel", Cancel); every handler writes to the log; a has the focus.
struct Dialog {
  Dialog() {
    form->Show();
    a = form->Add<TEdit>("a");
    b = form->Add<TEdit>("b");
    ok = form->Add<TButton>("ok");
    ok->SetCaption("确定(&O)");
    cancel = form->Add<TButton>("cancel");
    cancel->SetCaption("&Cancel");
    cancel->Cancel = true;
    for (TWinControl* c : std::initializer_list<TWinControl*>{a, b, ok, cancel}) Watch(c);
    a->SetFocus();
  }
  void Watch(TWinControl* c) {
    const std::string name = c->Name();
    c->OnKeyDown = [this, name](rtl::TObject*, rtl::Word& key, rtl::TShiftState) {
      log.push_back("down " + name + " " + std::to_string(key));
      if (zeroKeys) key = 0;
    };
    c->OnKeyPress = [this, name](rtl::TObject*, char& key) {
      log.push_back("press " + name + " " + std::to_string(int{key}));
    };
    c->OnClick = [this, name](rtl::TObject*) { log.push_back("click " + name); };
  }
  void Press(rtl::Word key, rtl::TShiftState shift = {}) { form->HandleInput(KeyEvent(key, shift)); }

  rtl::Owned<TTestForm> form = rtl::Add<TTestForm>(nullptr);
  TEdit* a;
  TEdit* b;
  TButton* ok;
  TButton* cancel;
  bool zeroKeys = false;
  Log log;
};

constexpr rtl::TShiftState kShift{true, false, false}, kAlt{false, true, false};

struct InputCase {
  std::string name;
  void (*act)(Dialog& d);
  Log log;
  std::string focus;
  std::string textOfA;
};

void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name; }

// The dialog after the case's input.
class Input : public ::testing::TestWithParam<InputCase> {
 protected:
  void SetUp() override { GetParam().act(d); }
  Dialog d;
};

TEST_P(Input, ReachesTheHandlersInOrder) { EXPECT_EQ(d.log, GetParam().log); }

TEST_P(Input, LeavesTheFocusWhereTheDialogPutIt) { EXPECT_EQ(d.form->FocusName(), GetParam().focus); }

TEST_P(Input, LeavesTheTypedTextInTheEdit) { EXPECT_EQ(d.a->Text(), GetParam().textOfA); }

INSTANTIATE_TEST_SUITE_P(
    Dialogs, Input,
    ::testing::Values(InputCase{"KeyDownHandlersSeeTabBeforeTheDialog",
                                [](Dialog& d) {
                                  d.Press(rtl::VK_TAB);
                                  d.Press(rtl::VK_TAB, kShift);
                                  d.Press(rtl::VK_TAB, kShift);
                                },
                                {"down a 9", "down b 9", "down a 9"},
                                "cancel",
                                ""},
                      InputCase{"ZeroedKeyStopsEverything",
                                [](Dialog& d) {
                                  d.zeroKeys = true;
                                  for (rtl::Word key : {rtl::VK_TAB, rtl::VK_ESCAPE, rtl::VK_RETURN, rtl::VK_BACK})
                                    d.Press(key);
                                },
                                {"down a 9", "down a 27", "down a 13", "down a 8"},
                                "a",
                                ""},
                      InputCase{"EscPassesOverAHiddenCancelButton",
                                [](Dialog& d) {
                                  d.cancel->SetVisible(false);
                                  auto* other = d.form->Add<TButton>("other");
                                  other->Cancel = true;
                                  d.Watch(other);
                                  d.Press(rtl::VK_ESCAPE);
                                },
                                {"down a 27", "click other"},
                                "a",
                                ""},
                      InputCase{"EscWithoutAUsableCancelButtonIsAKeyPress",
                                [](Dialog& d) {
                                  d.cancel->SetEnabled(false);
                                  d.Press(rtl::VK_ESCAPE);
                                },
                                {"down a 27", "press a 27"},
                                "a",
                                ""},
                      InputCase{"EnterOrSpaceClicksAFocusedButton",
                                [](Dialog& d) {
                                  d.ok->SetFocus();
                                  d.Press(rtl::VK_RETURN);
                                  d.Press(rtl::VK_SPACE);
                                },
                                {"down ok 13", "click ok", "down ok 32", "click ok"},
                                "ok",
                                ""},
                      InputCase{"EnterInAnEditClicksTheDefaultButton",
                                [](Dialog& d) {
                                  d.ok->Default = true;
                                  d.Press(rtl::VK_RETURN);
                                },
                                {"down a 13", "click ok"},
                                "a",
                                ""},
                      InputCase{"AltLetterClicksTheButtonWithThatAccelerator",
                                [](Dialog& d) {
                                  d.Press('X', kAlt);
                                  d.Press('O', kAlt);
                                },
                                {"click ok"},
                                "ok",
                                ""},
                      InputCase{"TypingGoesToTheEditWholeCharacters",
                                [](Dialog& d) { d.form->HandleInput(TextEvent("ab中c")); },
                                {"press a 97", "press a 98", "press a 99"},
                                "a",
                                "ab中c"},
                      InputCase{"BackspaceRemovesAWholeDoubleByteCharacter",
                                [](Dialog& d) {
                                  d.a->SetText("x中中");
                                  d.Press(rtl::VK_BACK);
                                  d.Press(rtl::VK_BACK);
                                },
                                {"down a 8", "press a 8", "down a 8", "press a 8"},
                                "a",
                                "x"},
                      InputCase{"ClicksOnADisabledForeignOrNoControlIgnored",
                                [](Dialog& d) {
                                  d.ok->SetEnabled(false);
                                  d.form->HandleInput(ClickEvent(d.ok));
                                  d.form->HandleInput(ClickEvent(nullptr));
                                  const auto other = rtl::Add<TTestForm>(nullptr);
                                  auto* foreign = other->Add<TButton>("foreign");
                                  d.Watch(foreign);
                                  d.form->HandleInput(ClickEvent(foreign));
                                },
                                {},
                                "a",
                                ""}),
    CaseName());

struct MaxLengthCase {
  std::string name;
  int max;
  std::string typed, text;
};

void PrintTo(const MaxLengthCase& c, std::ostream* os) { *os << c.name; }

class MaxLength : public ::testing::TestWithParam<MaxLengthCase> {};

TEST_P(MaxLength, EditTakesWholeCharactersUpToTheLimitInBytes) {
  Dialog d;
  d.a->MaxLength = GetParam().max;
  d.form->HandleInput(TextEvent(GetParam().typed));
  EXPECT_EQ(d.a->Text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Edits, MaxLength,
                         ::testing::Values(MaxLengthCase{"Unlimited", 0, "abcdef", "abcdef"},
                                           MaxLengthCase{"CutsAscii", 3, "abcdef", "abc"},
                                           MaxLengthCase{"TakesADoubleByteCharacterThatFits", 3, "a中b", "a中"},
                                           MaxLengthCase{"SkipsADoubleByteCharacterThatDoesNotFit", 3, "ab中c", "abc"}),
                         CaseName());

struct AcceleratorCase {
  std::string name, caption;
  char letter;
};

void PrintTo(const AcceleratorCase& c, std::ostream* os) { *os << c.name; }

class Accelerator : public ::testing::TestWithParam<AcceleratorCase> {};

TEST_P(Accelerator, IsTheUpperCaseLetterAfterASingleAmpersand) {
  const auto button = rtl::Add<TButton>(nullptr);
  button->SetCaption(GetParam().caption);
  EXPECT_EQ(button->Accelerator(), GetParam().letter);
}

INSTANTIATE_TEST_SUITE_P(Buttons, Accelerator,
                         ::testing::Values(AcceleratorCase{"AfterChinese", "确定(&o)", 'O'},
                                           AcceleratorCase{"DoubledAmpersand", "a&&b", '\0'},
                                           AcceleratorCase{"AfterADoubledAmpersand", "&&&x", 'X'},
                                           AcceleratorCase{"AmpersandAtTheEnd", "end&", '\0'}),
                         CaseName());

TEST(PasswordEdit, ShowsOneCharacterPerCharacterNotPerByte) {
  const auto edit = rtl::Add<TEdit>(nullptr);
  edit->PasswordChar = '*';
  edit->SetText("a中\x81'");
  EXPECT_EQ(edit->DisplayText(), "****");
}

// Typing through a form whose front end counts the refusals.
class Typing : public velmora::test::FrontEndTest {
 protected:
  // Beeps while the dialog's first edit takes typed.
  int BeepsTyping(const std::string& typed) {
    const int before = frontEnd.Beeps();
    d.form->HandleInput(TextEvent(typed));
    return frontEnd.Beeps() - before;
  }
  Dialog d;
};

// What an edit takes is what the person sees: a control character is never
// dropped silently but refused with a beep; Enter and Esc are the dialog's keys.
struct ControlCharacterCase {
  std::string name, typed, text;
  int beeps;
};
void PrintTo(const ControlCharacterCase& c, std::ostream* os) { *os << c.name; }

class ControlCharacters : public velmora::test::FrontEndTest,
                          public ::testing::WithParamInterface<ControlCharacterCase> {
 protected:
  int BeepsTyping() {
    const int before = frontEnd.Beeps();
    d.form->HandleInput(TextEvent(GetParam().typed));
    return frontEnd.Beeps() - before;
  }
  Dialog d;
};

TEST_P(ControlCharacters, NeverJoinTheText) {
  BeepsTyping();
  EXPECT_EQ(d.a->Text(), GetParam().text);
}

TEST_P(ControlCharacters, AreRefusedWithABeepEach) { EXPECT_EQ(BeepsTyping(), GetParam().beeps); }

INSTANTIATE_TEST_SUITE_P(Edits, ControlCharacters,
                         ::testing::Values(ControlCharacterCase{"StartOfHeading", "x\x01y", "xy", 1},
                                           ControlCharacterCase{"TabUnitSeparatorDelete", "x\ty\x1fz\x7f", "xyz", 3},
                                           ControlCharacterCase{"EscapeAndReturnSilently", "\x1b\r", "", 0},
                                           ControlCharacterCase{"AfterChinese", "中\x02", "中", 1}),
                         CaseName());

TEST_F(Typing, EnterOrEscAsKeysDoesNotBeep) {
  const int before = frontEnd.Beeps();
  for (rtl::Word key : {rtl::VK_RETURN, rtl::VK_ESCAPE}) d.Press(key);
  EXPECT_EQ(frontEnd.Beeps() - before, 0);
}

// Seconds on a monotonic clock (<chrono> has a literal GBK cannot hold).
double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A Windows edit control takes 32,767 bytes by default; the edit's default
// is the same, and a character past it is refused with a beep.
TEST_F(Typing, DefaultLimitTakes32767Bytes) {
  EXPECT_EQ(BeepsTyping(std::string(32767, 'x')), 0);
  EXPECT_EQ(d.a->Text().size(), 32767u);
}

TEST_F(Typing, DefaultLimitRefusesThe32768thByteWithABeep) {
  EXPECT_EQ(BeepsTyping(std::string(32768, 'x')), 1);
  EXPECT_EQ(d.a->Text().size(), 32767u);
}

TEST_F(Typing, DefaultLimitRefusesADoubleByteCharacterReachingPastIt) {
  EXPECT_EQ(BeepsTyping(std::string(32766, 'x') + "中"), 1);
  EXPECT_EQ(d.a->Text().size(), 32766u);
}

TEST_F(Typing, MaxLengthZeroMeansTheDefaultLimit) {
  d.a->MaxLength = 0;
  BeepsTyping(std::string(32768, 'x'));
  EXPECT_EQ(d.a->Text().size(), 32767u);
}

// An edit takes what is typed in time linear in its length, whether it
// takes it all or refuses what is past its limit.
TEST_F(Typing, TextGrowsInLinearTime) {
  d.a->MaxLength = 1000000;
  const double start = Now();
  EXPECT_EQ(BeepsTyping(std::string(200000, 'x')), 0);
  const double took = Now() - start;
  EXPECT_LT(took, 1.0) << "200,000 characters took " << took << " s";
  EXPECT_EQ(d.a->Text().size(), 200000u);
}

TEST_F(Typing, RefusingPastTheLimitTakesLinearTime) {
  const double start = Now();
  BeepsTyping(std::string(200000, 'x'));
  const double took = Now() - start;
  EXPECT_LT(took, 1.0) << "200,000 characters took " << took << " s";
}

class FormLifetime : public velmora::test::FrontEndTest {};

// The person is told in Chinese; the detail goes to standard error.
TEST_F(FormLifetime, HandlerExceptionsGoToTheApplicationsDefaultHandling) {
  Dialog d;
  d.ok->OnClick = [](rtl::TObject*) { rtl::GbkToWide("ab\x81"); };
  d.cancel->OnClick = [](rtl::TObject*) { throw 5; };
  ::testing::internal::CaptureStderr();
  EXPECT_NO_THROW(d.form->HandleInput(ClickEvent(d.ok)));
  EXPECT_NO_THROW(d.Press(rtl::VK_ESCAPE));
  const std::string detail = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(frontEnd.Messages().size(), 2u);
  EXPECT_EQ(frontEnd.Messages()[0].caption, rtl::Application->Title);
  EXPECT_EQ(frontEnd.Messages()[0].text, "文字中含有无法识别的字符。");
  EXPECT_EQ(frontEnd.Messages()[0].kind, rtl::TMsgKind::Error);
  EXPECT_EQ(frontEnd.Messages()[1].text, "操作未能完成：程序内部出错。");
  EXPECT_EQ(detail, "Velmora: Invalid GBK byte sequence at byte 2\nVelmora: Unknown exception\n");
}

// A form owned by the application whose OnDestroy looks for its controls,
// frees a rights list owning one of them, and fails.
class FormDestroyed : public velmora::test::FrontEndTest {
 protected:
  void SetUp() override {
    CountedEdit::destroyed = 0;
    auto* form = rtl::Add<TTestForm>(*rtl::Application);
    form->Show();
    rights->Add(form->Add<CountedEdit>("gated"));
    form->Add<CountedEdit>("plain")->SetFocus();
    form->OnDestroy = [this, form](rtl::TObject*) {
      sawControls = form->FindComponent("gated") != nullptr && form->Controls().size() == 2;
      rights.reset();
      throw rtl::EDatabaseError("cleanup failed", "清理失败");
    };
    rtl::Free(form);
  }
  rtl::Owned<rtl::TObjectList> rights =
      rtl::MakeOwned<rtl::TObjectList>();  // owns a control placed on the form, as a rights list does
  bool sawControls = false;
};

TEST_F(FormDestroyed, OnDestroyRunsWhileTheControlsExist) { EXPECT_TRUE(sawControls); }

TEST_F(FormDestroyed, EachControlIsDestroyedOnce) { EXPECT_EQ(CountedEdit::destroyed, 2); }

TEST_F(FormDestroyed, OnDestroysErrorIsShown) {
  ASSERT_EQ(frontEnd.Messages().size(), 1u);
  EXPECT_EQ(frontEnd.Messages()[0].text, "清理失败");
}

// Modal showing through the scripted front end. Showing the real dialogs is
// exercised by the context and automation suites.
class Modal : public velmora::test::FrontEndTest {
 public:
  using FrontEndTest::frontEnd;
  // A form owned by the application with an edit and a button ok (mrOk).
  TTestForm* NewForm() {
    auto* form = rtl::Add<TTestForm>(*rtl::Application);
    edit = form->Add<TEdit>("edit");
    ok = form->Add<TButton>("ok");
    ok->ModalResult = rtl::mrOk;
    return form;
  }
  TEdit* edit = nullptr;
  TButton* ok = nullptr;
};

TEST_F(Modal, RefusesAVisibleForm) {
  TTestForm* form = NewForm();
  form->Show();
  try {
    form->ShowModal();
    ADD_FAILURE() << "expected EInvalidOperation";
  } catch (const rtl::EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "Cannot make a visible window modal");
  }
  rtl::Free(form);
}

TEST_F(Modal, RaisesWithoutAFrontEnd) {
  TTestForm* form = NewForm();
  rtl::Application->SetFrontEnd(nullptr);
  EXPECT_THROW(form->ShowModal(), rtl::EInvalidOperation);
  EXPECT_FALSE(form->Visible() || form->Modal());
  EXPECT_EQ(frontEnd.Runs(), 0);
  rtl::Free(form);
}

// A handler that destroys form, whatever its arguments.
auto Freeing(TTestForm* form) {
  return [form](auto&&...) { rtl::Free(form); };
}

struct DestroyedCase {
  std::string name;
  void (*arrange)(Modal& m, TTestForm* form);
};

void PrintTo(const DestroyedCase& c, std::ostream* os) { *os << c.name; }

// A form destroyed inside its own modal loop: the loop notices.
class DestroyedInItsLoop : public Modal, public ::testing::WithParamInterface<DestroyedCase> {
 protected:
  int ShowDestroyed() {
    TTestForm* form = NewForm();
    GetParam().arrange(*this, form);
    return form->ShowModal();
  }
};

TEST_P(DestroyedInItsLoop, ShowModalAnswersCancel) { EXPECT_EQ(ShowDestroyed(), rtl::mrCancel); }

TEST_P(DestroyedInItsLoop, LeavesTheApplicationNothing) {
  ShowDestroyed();
  EXPECT_EQ(rtl::Application->ComponentCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Forms, DestroyedInItsLoop,
                         ::testing::Values(DestroyedCase{"ByAClickHandler",
                                                         [](Modal& m, TTestForm* f) {
                                                           m.ok->OnClick = Freeing(f);
                                                           m.frontEnd.Then(Send(ClickEvent(m.ok)));
                                                         }},
                                           DestroyedCase{"ByAKeyPressHandlerOnEnter",
                                                         [](Modal& m, TTestForm* f) {
                                                           m.edit->OnKeyPress = Freeing(f);
                                                           m.frontEnd.Then(Send(KeyEvent(rtl::VK_RETURN)));
                                                         }},
                                           DestroyedCase{"ByAKeyPressHandlerWhileTyping",
                                                         [](Modal& m, TTestForm* f) {
                                                           m.edit->OnKeyPress = Freeing(f);
                                                           m.frontEnd.Then(Send(TextEvent("abc")));
                                                         }},
                                           DestroyedCase{"ByTheShowHandler",
                                                         [](Modal&, TTestForm* f) { f->OnShow = Freeing(f); }},
                                           DestroyedCase{"ByTheFrontEnd",
                                                         [](Modal& m, TTestForm* f) {
                                                           m.frontEnd.Then([f](rtl::ModalSession& s) {
                                                             rtl::Free(f);
                                                             EXPECT_EQ(s.Form(), nullptr);
                                                             EXPECT_TRUE(s.Ended());
                                                             s.Deliver(KeyEvent(rtl::VK_TAB));  // ignored
                                                           });
                                                         }}),
                         CaseName());

}  // namespace
