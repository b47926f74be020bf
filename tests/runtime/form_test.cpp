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

namespace {

using rtl::TButton;
using rtl::TComponent;
using rtl::TEdit;
using rtl::TWinControl;
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

// Focus leaves a control that goes away (focused: focus first, then act);
// SetFocus raises for a control that cannot take it (act, then focus).
// A destroyed control leaves its parent: the sanitizer sees any dangling child.
TEST(Focus, FollowsWhetherAControlCanTakeIt) {
  const struct {
    const char* what;
    bool focused;
    void (*act)(PanelForm& f);
  } cases[] = {
      {"destroyed", true, [](PanelForm& f) { rtl::Free(f.edit); }},
      {"hidden", true, [](PanelForm& f) { f.edit->SetVisible(false); }},
      {"disabled", true, [](PanelForm& f) { f.edit->SetEnabled(false); }},
      {"its panel hidden", true, [](PanelForm& f) { f.panel->SetVisible(false); }},
      {"its panel destroyed", true, [](PanelForm& f) { rtl::Free(f.panel); }},
      {"hidden", false, [](PanelForm& f) { f.edit->SetVisible(false); }},
      {"in a disabled panel", false, [](PanelForm& f) { f.panel->SetEnabled(false); }},
      {"on a form not shown", false, [](PanelForm& f) { f.form->Hide(); }},
      {"on no form", false, [](PanelForm& f) { f.edit->SetParent(nullptr); }},
  };
  for (const auto& c : cases) {
    PanelForm f;
    if (c.focused) {
      f.edit->SetFocus();
      ASSERT_TRUE(f.edit->Focused()) << c.what;
      c.act(f);
    } else {
      c.act(f);
      try {
        f.edit->SetFocus();
        ADD_FAILURE() << c.what << ": expected EInvalidOperation";
      } catch (const rtl::EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Cannot focus a disabled or invisible window") << c.what;
      }
    }
    EXPECT_EQ(f.form->ActiveControl(), nullptr) << c.what;
  }
}

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

TEST(TabOrder, NextDialogControlFollowsTheTabOrder) {
  struct Ctl {
    const char* name;         // "-a": destroy a
    const char* parent = "";  // "" for the form
    int tabOrder = -1;        // -1: not set
    bool tabStop = true, enabled = true, visible = true, container = false;
  };
  const struct {
    const char* what;
    std::vector<Ctl> controls;
    const char* forward;
    const char* backward;
  } cases[] = {
      {"insertion order", {{"a"}, {"b"}, {"c"}}, "a b c a", "c b a c"},
      {"ties by insertion", {{"a", "", 1}, {"b", "", 0}, {"c", "", 1}}, "b a c b", "c a b c"},
      {"added after removals comes last", {{"a"}, {"b"}, {"c"}, {"-a"}, {"-b"}, {"d"}}, "c d c", "d c d"},
      {"explicit before unset", {{"a"}, {"b", "", 0}}, "b a b", "a b a"},
      {"nested container in its place",
       {{"a", "", 1}, {"p", "", 0, false, true, true, true}, {"x", "p", 1}, {"y", "p", 0}},
       "y x a y",
       "a x y a"},
      {"tab stop off skipped", {{"a"}, {"b", "", -1, false}, {"c"}}, "a c a", "c a c"},
      {"disabled skipped", {{"a"}, {"b", "", -1, true, false}, {"c"}}, "a c a", "c a c"},
      {"inside a hidden container skipped",
       {{"a"}, {"p", "", -1, false, true, false, true}, {"x", "p"}, {"c"}},
       "a c a",
       "c a c"},
      {"single control keeps the focus", {{"a"}}, "a a", "a a"},
      {"nothing to focus", {{"a", "", -1, false}}, "(none)", "(none)"},
  };
  for (const auto& c : cases) {
    const auto form = rtl::Add<TTestForm>(nullptr);
    form->Show();
    for (const Ctl& ctl : c.controls) {
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
    EXPECT_EQ(Walk(*form, 0, c.forward), c.forward) << c.what << " (forward)";
    EXPECT_EQ(Walk(*form, 1, c.backward), c.backward) << c.what << " (backward)";
  }
}

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

TEST(Input, KeysTextAndClicksReachHandlersAndDialogInOrder) {
  const struct {
    const char* what;
    void (*act)(Dialog& d);
    Log log;
    const char* focus;
    const char* textOfA;
  } cases[] = {
      {"key-down handlers see Tab and Shift+Tab before the dialog",
       [](Dialog& d) {
         d.Press(rtl::VK_TAB);
         d.Press(rtl::VK_TAB, kShift);
         d.Press(rtl::VK_TAB, kShift);
       },
       {"down a 9", "down b 9", "down a 9"},
       "cancel",
       ""},
      {"zeroed key stops everything",
       [](Dialog& d) {
         d.zeroKeys = true;
         for (rtl::Word key : {rtl::VK_TAB, rtl::VK_ESCAPE, rtl::VK_RETURN, rtl::VK_BACK}) d.Press(key);
       },
       {"down a 9", "down a 27", "down a 13", "down a 8"},
       "a",
       ""},
      {"Esc passes over a hidden cancel button",
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
      {"Esc without a usable cancel button is a key press",
       [](Dialog& d) {
         d.cancel->SetEnabled(false);
         d.Press(rtl::VK_ESCAPE);
       },
       {"down a 27", "press a 27"},
       "a",
       ""},
      {"Enter and Space click a focused button",
       [](Dialog& d) {
         d.ok->SetFocus();
         d.Press(rtl::VK_RETURN);
         d.Press(rtl::VK_SPACE);
       },
       {"down ok 13", "click ok", "down ok 32", "click ok"},
       "ok",
       ""},
      {"Enter in an edit clicks the default button",
       [](Dialog& d) {
         d.ok->Default = true;
         d.Press(rtl::VK_RETURN);
       },
       {"down a 13", "click ok"},
       "a",
       ""},
      {"Alt+letter clicks the button with that accelerator",
       [](Dialog& d) {
         d.Press('X', kAlt);
         d.Press('O', kAlt);
       },
       {"click ok"},
       "ok",
       ""},
      {"typing goes to the edit, a double-byte character whole",
       [](Dialog& d) { d.form->HandleInput(TextEvent("ab中c")); },
       {"press a 97", "press a 98", "press a 99"},
       "a",
       "ab中c"},
      {"Backspace removes a whole double-byte character",
       [](Dialog& d) {
         d.a->SetText("x中中");
         d.Press(rtl::VK_BACK);
         d.Press(rtl::VK_BACK);
       },
       {"down a 8", "press a 8", "down a 8", "press a 8"},
       "a",
       "x"},
      {"clicks on a disabled control, another form's or none are ignored",
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
       ""},
  };
  for (const auto& c : cases) {
    Dialog d;
    c.act(d);
    EXPECT_EQ(d.log, c.log) << c.what;
    EXPECT_EQ(d.form->FocusName(), c.focus) << c.what;
    EXPECT_EQ(d.a->Text(), c.textOfA) << c.what;
  }
}

TEST(Input, MaxLengthAcceleratorsAndPasswordDisplayCountCharactersNotBytes) {
  const struct {
    int max;
    const char* typed;
    const char* text;
  } cases[] = {{0, "abcdef", "abcdef"}, {3, "abcdef", "abc"}, {3, "a中b", "a中"}, {3, "ab中c", "abc"}};
  for (const auto& c : cases) {
    Dialog d;
    d.a->MaxLength = c.max;
    d.form->HandleInput(TextEvent(c.typed));
    EXPECT_EQ(d.a->Text(), c.text) << "MaxLength " << c.max << ", typed " << c.typed;
  }
  const auto button = rtl::Add<TButton>(nullptr);
  for (const auto& [caption, letter] : {std::pair{"确定(&o)", 'O'}, {"a&&b", '\0'}, {"&&&x", 'X'}, {"end&", '\0'}}) {
    button->SetCaption(caption);
    EXPECT_EQ(button->Accelerator(), letter) << caption;
  }
  const auto edit = rtl::Add<TEdit>(nullptr);
  edit->PasswordChar = '*';
  edit->SetText("a中\x81'");
  EXPECT_EQ(edit->DisplayText(), "****");
}

// Typing through a form whose front end counts the refusals.
class Typing : public velmora::test::FrontEndTest {};

// What an edit takes is what the person sees: a control character is never
// dropped silently but refused with a beep; Enter and Esc are the dialog's keys.
TEST_F(Typing, ControlCharactersAreRefusedAudiblyAndNeverJoinTheText) {
  const struct {
    const char* typed;
    const char* text;
    int beeps;
  } cases[] = {{"x\x01y", "xy", 1}, {"x\ty\x1fz\x7f", "xyz", 3}, {"\x1b\r", "", 0}, {"中\x02", "中", 1}};
  for (const auto& c : cases) {
    Dialog d;
    const int before = frontEnd.Beeps();
    d.form->HandleInput(TextEvent(c.typed));
    EXPECT_EQ(d.a->Text(), c.text) << ::testing::PrintToString(std::string(c.typed));
    EXPECT_EQ(frontEnd.Beeps() - before, c.beeps) << ::testing::PrintToString(std::string(c.typed));
  }
  Dialog d;
  const int before = frontEnd.Beeps();
  for (rtl::Word key : {rtl::VK_RETURN, rtl::VK_ESCAPE}) d.Press(key);
  EXPECT_EQ(frontEnd.Beeps() - before, 0) << "expected Enter and Esc as keys to pass silently";
}

// Seconds on a monotonic clock (<chrono> has a literal GBK cannot hold).
double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// An edit takes what is typed in time linear in its length, and by default
// no more than a Windows edit control takes (kDefaultMaxLength bytes).
TEST_F(Typing, TextGrowsLinearlyUpToTheEditsLimit) {
  const std::string typed(200000, 'x');
  for (const int maxLength : {0, 1000000}) {
    Dialog d;
    d.a->MaxLength = maxLength;
    const int before = frontEnd.Beeps();
    const double start = Now();
    d.form->HandleInput(TextEvent(typed));
    const double took = Now() - start;
    EXPECT_LT(took, 1.0) << "MaxLength " << maxLength << ": 200,000 characters took " << took << " s";
    const std::size_t expected = maxLength == 0 ? TEdit::kDefaultMaxLength : typed.size();
    EXPECT_EQ(d.a->Text().size(), expected) << "MaxLength " << maxLength;
    EXPECT_EQ(frontEnd.Beeps() > before, maxLength == 0) << "expected each refused character told, and only those";
  }
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

TEST_F(FormLifetime, DestroyEventRunsWhileTheControlsExistAndItsErrorIsReported) {
  CountedEdit::destroyed = 0;
  auto* form = rtl::Add<TTestForm>(*rtl::Application);
  form->Show();
  auto rights = rtl::MakeOwned<rtl::TObjectList>();  // owns a control placed on the form, as a rights list does
  rights->Add(form->Add<CountedEdit>("gated"));
  form->Add<CountedEdit>("plain")->SetFocus();
  bool sawControls = false;
  form->OnDestroy = [&](rtl::TObject*) {
    sawControls = form->FindComponent("gated") != nullptr && form->Controls().size() == 2;
    rights.reset();
    throw rtl::EDatabaseError("cleanup failed", "清理失败");
  };
  rtl::Free(form);
  EXPECT_TRUE(sawControls);
  EXPECT_EQ(CountedEdit::destroyed, 2) << "each control destroyed once";
  ASSERT_EQ(frontEnd.Messages().size(), 1u);
  EXPECT_EQ(frontEnd.Messages()[0].text, "清理失败");
}

// Modal showing through the scripted front end. Showing the real dialogs is
// exercised by the context and automation suites.
class Modal : public velmora::test::FrontEndTest {
 protected:
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

TEST_F(Modal, RefusesAVisibleFormAndRunsOnlyWithAFrontEnd) {
  TTestForm* form = NewForm();
  form->Show();
  try {
    form->ShowModal();
    ADD_FAILURE() << "expected EInvalidOperation";
  } catch (const rtl::EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "Cannot make a visible window modal");
  }
  form->Hide();
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

TEST_F(Modal, FormDestroyedInsideItsOwnLoopIsNoticed) {
  const struct {
    const char* what;
    std::function<void(TTestForm* form)> arrange;
  } cases[] = {
      {"by a click handler",
       [&](TTestForm* f) {
         ok->OnClick = Freeing(f);
         frontEnd.Then(Send(ClickEvent(ok)));
       }},
      {"by a key-press handler on Enter",
       [&](TTestForm* f) {
         edit->OnKeyPress = Freeing(f);
         frontEnd.Then(Send(KeyEvent(rtl::VK_RETURN)));
       }},
      {"by a key-press handler while typing",
       [&](TTestForm* f) {
         edit->OnKeyPress = Freeing(f);
         frontEnd.Then(Send(TextEvent("abc")));
       }},
      {"by the show handler", [&](TTestForm* f) { f->OnShow = Freeing(f); }},
      {"by the front end",
       [&](TTestForm* f) {
         frontEnd.Then([f](rtl::ModalSession& s) {
           rtl::Free(f);
           EXPECT_EQ(s.Form(), nullptr);
           EXPECT_TRUE(s.Ended());
           s.Deliver(KeyEvent(rtl::VK_TAB));  // ignored
         });
       }},
  };
  for (const auto& c : cases) {
    TTestForm* form = NewForm();
    c.arrange(form);
    EXPECT_EQ(form->ShowModal(), rtl::mrCancel) << c.what;
    EXPECT_EQ(rtl::Application->ComponentCount(), 0u) << c.what;
  }
}

}  // namespace
