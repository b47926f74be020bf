// Controls and forms: parents and focus, tab order, key and text input
// through a form, default exception handling, and modal showing.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "rt_support.h"
#include "runtime/components/ObjectList.h"
#include "runtime/controls/StdCtrls.h"
#include "runtime/except/Exceptions.h"

namespace {

using rtl::Owned;
using rtl::TButton;
using rtl::TEdit;
using rtl::TWinControl;
using rttest::ClickOn;
using rttest::Key;
using rttest::Typed;
using Log = std::vector<std::string>;

class TTestForm : public rtl::TForm {
 public:
  explicit TTestForm(rtl::TComponent* owner = nullptr) : TForm(owner) {}

  // A control owned by the form, on parent (the form by default).
  template <class T>
  T* Add(const std::string& name, TWinControl* parent = nullptr) {
    auto* control = new T(this);
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

TEST(Controls, ParentDestroysItsChildControlsAndAChildDestroyedFirstLeavesIt) {
  CountedEdit::destroyed = 0;
  auto panel = std::make_unique<TWinControl>(nullptr);
  for (int i = 0; i < 3; ++i) (new CountedEdit(nullptr))->SetParent(panel.get());
  auto* inner = new TWinControl(nullptr);
  inner->SetParent(panel.get());
  (new CountedEdit(nullptr))->SetParent(inner);
  rtl::Free(panel->Controls()[0]);
  EXPECT_EQ(panel->Controls().size(), 3u);
  panel.reset();
  EXPECT_EQ(CountedEdit::destroyed, 4);
}

// A shown form with a panel holding an edit.
struct PanelForm {
  PanelForm() {
    form.Show();
    panel = form.Add<TWinControl>("panel");
    edit = form.Add<TEdit>("edit", panel);
  }
  TTestForm form;
  TWinControl* panel;
  TEdit* edit;
};

TEST(Focus, LeavesAControlThatGoesAway) {
  const struct {
    const char* what;
    void (*act)(PanelForm& f);
  } cases[] = {
      {"destroyed", [](PanelForm& f) { rtl::Free(f.edit); }},
      {"hidden", [](PanelForm& f) { f.edit->SetVisible(false); }},
      {"disabled", [](PanelForm& f) { f.edit->SetEnabled(false); }},
      {"its panel hidden", [](PanelForm& f) { f.panel->SetVisible(false); }},
      {"its panel destroyed", [](PanelForm& f) { rtl::Free(f.panel); }},
  };
  for (const auto& c : cases) {
    PanelForm f;
    f.edit->SetFocus();
    ASSERT_TRUE(f.edit->Focused()) << c.what;
    c.act(f);
    EXPECT_EQ(f.form.ActiveControl(), nullptr) << c.what;
  }
}

TEST(Focus, SetFocusRaisesForAControlThatCannotTakeIt) {
  const struct {
    const char* what;
    void (*prepare)(PanelForm& f);
  } cases[] = {
      {"hidden", [](PanelForm& f) { f.edit->SetVisible(false); }},
      {"in a disabled panel", [](PanelForm& f) { f.panel->SetEnabled(false); }},
      {"on a form not shown", [](PanelForm& f) { f.form.Hide(); }},
      {"on no form", [](PanelForm& f) { f.edit->SetParent(nullptr); }},
  };
  for (const auto& c : cases) {
    PanelForm f;
    c.prepare(f);
    try {
      f.edit->SetFocus();
      ADD_FAILURE() << c.what << ": expected EInvalidOperation";
    } catch (const rtl::EInvalidOperation& e) {
      EXPECT_EQ(e.Message(), "Cannot focus a disabled or invisible window") << c.what;
    }
    EXPECT_EQ(f.form.ActiveControl(), nullptr) << c.what;
  }
}

// Focus after each WM_NEXTDLGCTL (0, 0), or (1, 0) backwards, from no focus.
std::string Walk(TTestForm& form, std::intptr_t backwards, std::size_t steps) {
  form.SetActiveControl(nullptr);
  std::string visited;
  for (std::size_t i = 0; i < steps; ++i) {
    form.Perform(rtl::WM_NEXTDLGCTL, backwards, 0);
    if (i > 0) visited += ' ';
    visited += form.FocusName();
  }
  return visited;
}

TEST(TabOrder, NextDialogControlFollowsTheTabOrder) {
  struct Ctl {
    const char* name;
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
      {"explicit orders", {{"a", "", 2}, {"b", "", 0}, {"c", "", 1}}, "b c a b", "a c b a"},
      {"ties by insertion", {{"a", "", 1}, {"b", "", 0}, {"c", "", 1}}, "b a c b", "c a b c"},
      {"explicit before unset", {{"a"}, {"b", "", 0}}, "b a b", "a b a"},
      {"nested container in its place",
       {{"a", "", 1}, {"p", "", 0, false, true, true, true}, {"x", "p", 1}, {"y", "p", 0}}, "y x a y", "a x y a"},
      {"tab stop off skipped", {{"a"}, {"b", "", -1, false}, {"c"}}, "a c a", "c a c"},
      {"disabled skipped", {{"a"}, {"b", "", -1, true, false}, {"c"}}, "a c a", "c a c"},
      {"inside a hidden container skipped", {{"a"}, {"p", "", -1, false, true, false, true}, {"x", "p"}, {"c"}},
       "a c a", "c a c"},
      {"single control keeps the focus", {{"a"}}, "a a", "a a"},
      {"nothing to focus", {{"a", "", -1, false}}, "(none)", "(none)"},
  };
  for (const auto& c : cases) {
    TTestForm form;
    form.Show();
    for (const Ctl& ctl : c.controls) {
      TWinControl* parent = *ctl.parent != '\0' ? &rtl::As<TWinControl>(form.FindComponent(ctl.parent)) : nullptr;
      TWinControl* control = ctl.container ? form.Add<TWinControl>(ctl.name, parent) : form.Add<TEdit>(ctl.name, parent);
      if (ctl.tabOrder >= 0) control->SetTabOrder(ctl.tabOrder);
      if (!ctl.container) control->TabStop = ctl.tabStop;
      control->SetEnabled(ctl.enabled);
      control->SetVisible(ctl.visible);
    }
    const auto steps = [](const char* text) {
      std::istringstream in(text);
      std::size_t n = 0;
      for (std::string word; in >> word;) ++n;
      return n;
    };
    EXPECT_EQ(Walk(form, 0, steps(c.forward)), c.forward) << c.what << " (forward)";
    EXPECT_EQ(Walk(form, 1, steps(c.backward)), c.backward) << c.what << " (backward)";
  }
}

TEST(TabOrder, ControlAddedAfterRemovalsComesLast) {
  TTestForm form;
  form.Show();
  auto* a = form.Add<TEdit>("a");
  auto* b = form.Add<TEdit>("b");
  form.Add<TEdit>("c");
  rtl::Free(a);
  rtl::Free(b);
  form.Add<TEdit>("d");
  EXPECT_EQ(Walk(form, 0, 3), "c d c");
}

// A shown form with edits a and b and buttons ok ("确定(&O)") and cancel
// ("&Cancel", Cancel); every handler writes to the log; a has the focus.
struct Dialog {
  Dialog() {
    form.Show();
    a = form.Add<TEdit>("a");
    b = form.Add<TEdit>("b");
    ok = form.Add<TButton>("ok");
    ok->SetCaption("确定(&O)");
    cancel = form.Add<TButton>("cancel");
    cancel->SetCaption("&Cancel");
    cancel->Cancel = true;
    for (TWinControl* c : {static_cast<TWinControl*>(a), static_cast<TWinControl*>(b), static_cast<TWinControl*>(ok),
                           static_cast<TWinControl*>(cancel)}) {
      Watch(c);
    }
    a->SetFocus();
  }
  void Watch(TWinControl* c) {
    const std::string name = c->Name();
    c->OnKeyDown = [this, name](rtl::TObject*, rtl::Word& key, rtl::TShiftState) {
      log.push_back("down " + name + " " + std::to_string(key));
      if (zeroKeys) key = 0;
    };
    c->OnKeyPress = [this, name](rtl::TObject*, char& key) { log.push_back("press " + name + " " + std::to_string(int{key})); };
    c->OnClick = [this, name](rtl::TObject*) { log.push_back("click " + name); };
  }
  void Press(rtl::Word key, rtl::TShiftState shift = {}) { form.HandleInput(Key(key, shift)); }

  TTestForm form;
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
      {"key-down handler sees Tab before the dialog", [](Dialog& d) { d.Press(rtl::VK_TAB); }, {"down a 9"}, "b", ""},
      {"Shift+Tab moves backwards", [](Dialog& d) { d.Press(rtl::VK_TAB, kShift); }, {"down a 9"}, "cancel", ""},
      {"zeroed key stops everything",
       [](Dialog& d) {
         d.zeroKeys = true;
         for (rtl::Word key : {rtl::VK_TAB, rtl::VK_ESCAPE, rtl::VK_RETURN, rtl::VK_BACK}) d.Press(key);
       },
       {"down a 9", "down a 27", "down a 13", "down a 8"}, "a", ""},
      {"Esc clicks the cancel button", [](Dialog& d) { d.Press(rtl::VK_ESCAPE); }, {"down a 27", "click cancel"}, "a",
       ""},
      {"Esc passes over a hidden cancel button",
       [](Dialog& d) {
         d.cancel->SetVisible(false);
         auto* other = d.form.Add<TButton>("other");
         other->Cancel = true;
         d.Watch(other);
         d.Press(rtl::VK_ESCAPE);
       },
       {"down a 27", "click other"}, "a", ""},
      {"Esc without a usable cancel button is a key press",
       [](Dialog& d) {
         d.cancel->SetEnabled(false);
         d.Press(rtl::VK_ESCAPE);
       },
       {"down a 27", "press a 27"}, "a", ""},
      {"Enter and Space click a focused button",
       [](Dialog& d) {
         d.ok->SetFocus();
         d.Press(rtl::VK_RETURN);
         d.Press(rtl::VK_SPACE);
       },
       {"down ok 13", "click ok", "down ok 32", "click ok"}, "ok", ""},
      {"Enter in an edit is a key press", [](Dialog& d) { d.Press(rtl::VK_RETURN); }, {"down a 13", "press a 13"}, "a",
       ""},
      {"Enter in an edit clicks the default button",
       [](Dialog& d) {
         d.ok->Default = true;
         d.Press(rtl::VK_RETURN);
       },
       {"down a 13", "click ok"}, "a", ""},
      {"Alt+letter clicks the button with that accelerator",
       [](Dialog& d) {
         d.Press('X', kAlt);
         d.Press('O', kAlt);
       },
       {"click ok"}, "ok", ""},
      {"typing goes to the edit, a double-byte character whole", [](Dialog& d) { d.form.HandleInput(Typed("ab中c")); },
       {"press a 97", "press a 98", "press a 99"}, "a", "ab中c"},
      {"Backspace removes a whole double-byte character",
       [](Dialog& d) {
         d.a->SetText("x中中");
         d.Press(rtl::VK_BACK);
         d.Press(rtl::VK_BACK);
       },
       {"down a 8", "press a 8", "down a 8", "press a 8"}, "a", "x"},
      {"a click focuses and clicks", [](Dialog& d) { d.form.HandleInput(ClickOn(d.b)); }, {"click b"}, "b", ""},
      {"clicks on a disabled control, another form's or none are ignored",
       [](Dialog& d) {
         d.ok->SetEnabled(false);
         d.form.HandleInput(ClickOn(d.ok));
         d.form.HandleInput(ClickOn(nullptr));
         TTestForm other;
         auto* foreign = other.Add<TButton>("foreign");
         d.Watch(foreign);
         d.form.HandleInput(ClickOn(foreign));
       },
       {}, "a", ""},
  };
  for (const auto& c : cases) {
    Dialog d;
    c.act(d);
    EXPECT_EQ(d.log, c.log) << c.what;
    EXPECT_EQ(d.form.FocusName(), c.focus) << c.what;
    EXPECT_EQ(d.a->Text(), c.textOfA) << c.what;
  }
}

TEST(Input, MaxLengthLimitsBytesWithoutSplittingCharacters) {
  const struct {
    int max;
    const char* typed;
    const char* text;
  } cases[] = {{0, "abcdef", "abcdef"}, {3, "abcdef", "abc"}, {3, "a中b", "a中"}, {3, "ab中c", "abc"}};
  for (const auto& c : cases) {
    Dialog d;
    d.a->MaxLength = c.max;
    d.form.HandleInput(Typed(c.typed));
    EXPECT_EQ(d.a->Text(), c.text) << "MaxLength " << c.max << ", typed " << c.typed;
  }
}

TEST(Input, AcceleratorsAndPasswordDisplayCountCharactersNotBytes) {
  TButton button(nullptr);
  for (const auto& [caption, letter] : {std::pair{"确定(&o)", 'O'}, {"a&&b", '\0'}, {"&&&x", 'X'}, {"end&", '\0'}}) {
    button.SetCaption(caption);
    EXPECT_EQ(button.Accelerator(), letter) << caption;
  }
  TEdit edit(nullptr);
  edit.PasswordChar = '*';
  edit.SetText("a中\x81'");
  EXPECT_EQ(edit.DisplayText(), "****");
}

class FormLifetime : public rttest::AppTest {};

TEST_F(FormLifetime, HandlerExceptionsGoToTheApplicationsDefaultHandling) {
  Dialog d;
  d.ok->OnClick = [](rtl::TObject*) { throw rtl::EDatabaseError("数据库连接失败"); };
  d.cancel->OnClick = [](rtl::TObject*) { throw 5; };
  EXPECT_NO_THROW(d.form.HandleInput(ClickOn(d.ok)));
  EXPECT_NO_THROW(d.Press(rtl::VK_ESCAPE));
  ASSERT_EQ(frontEnd.messages.size(), 2u);
  EXPECT_EQ(frontEnd.messages[0].caption, rtl::Application->Title);
  EXPECT_EQ(frontEnd.messages[0].text, "数据库连接失败");
  EXPECT_EQ(frontEnd.messages[0].kind, rtl::TMsgKind::Error);
  EXPECT_EQ(frontEnd.messages[1].text, "Unknown exception");
}

TEST_F(FormLifetime, DestroyEventRunsWhileTheControlsExistAndItsErrorIsReported) {
  CountedEdit::destroyed = 0;
  auto* form = new TTestForm(rtl::Application);
  form->Show();
  auto* rights = new rtl::TObjectList;  // owns a control placed on the form, as a rights list does
  rights->Add(form->Add<CountedEdit>("gated"));
  form->Add<CountedEdit>("plain")->SetFocus();
  bool sawControls = false;
  form->OnDestroy = [&](rtl::TObject*) {
    sawControls = form->FindComponent("gated") != nullptr && form->Controls().size() == 2;
    rtl::Free(rights);
    throw rtl::EDatabaseError("清理失败");
  };
  rtl::Free(form);
  EXPECT_TRUE(sawControls);
  EXPECT_EQ(CountedEdit::destroyed, 2) << "each control destroyed once";
  ASSERT_EQ(frontEnd.messages.size(), 1u);
  EXPECT_EQ(frontEnd.messages[0].text, "清理失败");
}

// Modal showing through the scripted front end.
class Modal : public rttest::AppTest {
 protected:
  // A form owned by the application with an edit and buttons ok (mrOk) and cancel.
  TTestForm* NewForm() {
    auto* form = new TTestForm(rtl::Application);
    form->Add<TEdit>("edit");
    ok = form->Add<TButton>("ok");
    ok->ModalResult = rtl::mrOk;
    return form;
  }
  TButton* ok = nullptr;
};

TEST_F(Modal, ReturnsTheModalResultAndHidesTheForm) {
  Owned<TTestForm> form(NewForm());
  frontEnd.Then([&](rtl::ModalSession& s) {
    EXPECT_EQ(s.Form(), form.get());
    EXPECT_TRUE(form->Visible() && form->Modal());
    EXPECT_EQ(form->FocusName(), "edit") << "the first tab stop takes the focus";
  });
  frontEnd.Then(ClickOn(ok));
  frontEnd.Then([](rtl::ModalSession&) { ADD_FAILURE() << "the loop went on after the modal result"; });
  EXPECT_EQ(form->ShowModal(), rtl::mrOk);
  EXPECT_FALSE(form->Visible() || form->Modal());
  EXPECT_EQ(frontEnd.runs, 1);
}

TEST_F(Modal, CloseOrInputRunningOutGivesCancelAndKeepsTheForm) {
  Owned<TTestForm> form(NewForm());
  frontEnd.Then(rttest::CloseBox());
  EXPECT_EQ(form->ShowModal(), rtl::mrCancel);
  EXPECT_EQ(rtl::Application->ComponentCount(), 1u) << "closing does not destroy the form";
  EXPECT_EQ(form->ShowModal(), rtl::mrCancel) << "no input left";
  EXPECT_FALSE(form->Visible());
  frontEnd.Then(ClickOn(ok));
  EXPECT_EQ(form->ShowModal(), rtl::mrOk) << "the form can be shown again";
}

TEST_F(Modal, RefusesAVisibleFormAndRunsOnlyWithAFrontEnd) {
  Owned<TTestForm> form(NewForm());
  form->Show();
  try {
    form->ShowModal();
    FAIL() << "expected EInvalidOperation";
  } catch (const rtl::EInvalidOperation& e) {
    EXPECT_EQ(e.Message(), "Cannot make a visible window modal");
  }
  form->Hide();
  rtl::Application->SetFrontEnd(nullptr);
  EXPECT_THROW(form->ShowModal(), rtl::EInvalidOperation);
  EXPECT_FALSE(form->Visible() || form->Modal());
  EXPECT_EQ(frontEnd.runs, 0);
}

TEST_F(Modal, ExceptionFromOnShowLeavesShowModalWithTheFormHidden) {
  Owned<TTestForm> form(NewForm());
  form->OnShow = [](rtl::TObject*) { throw rtl::EDatabaseError("权限数据不可用"); };
  EXPECT_THROW(form->ShowModal(), rtl::EDatabaseError);
  EXPECT_FALSE(form->Visible() || form->Modal());
  EXPECT_EQ(frontEnd.runs, 0);
}

TEST_F(Modal, FormDestroyedInsideItsOwnLoopIsNoticed) {
  using FrontEnd = rttest::ScriptedFrontEnd;
  const struct {
    const char* what;
    void (*arrange)(TTestForm* form, TEdit& edit, TButton& button, FrontEnd& frontEnd);
  } cases[] = {
      {"by a click handler",
       [](TTestForm* f, TEdit&, TButton& button, FrontEnd& fe) {
         button.OnClick = [f](rtl::TObject*) { rtl::Free(f); };
         fe.Then(ClickOn(&button));
       }},
      {"by a key-press handler on Enter",
       [](TTestForm* f, TEdit& edit, TButton&, FrontEnd& fe) {
         edit.OnKeyPress = [f](rtl::TObject*, char&) { rtl::Free(f); };
         fe.Then(Key(rtl::VK_RETURN));
       }},
      {"by a key-press handler while typing",
       [](TTestForm* f, TEdit& edit, TButton&, FrontEnd& fe) {
         edit.OnKeyPress = [f](rtl::TObject*, char&) { rtl::Free(f); };
         fe.Then(Typed("abc"));
       }},
      {"by the show handler",
       [](TTestForm* f, TEdit&, TButton&, FrontEnd&) { f->OnShow = [f](rtl::TObject*) { rtl::Free(f); }; }},
      {"by the front end",
       [](TTestForm* f, TEdit&, TButton&, FrontEnd& fe) {
         fe.Then([f](rtl::ModalSession& s) {
           rtl::Free(f);
           EXPECT_EQ(s.Form(), nullptr);
           EXPECT_TRUE(s.Ended());
           s.Deliver(Key(rtl::VK_TAB));  // ignored
         });
       }},
  };
  for (const auto& c : cases) {
    TTestForm* form = NewForm();
    c.arrange(form, rtl::As<TEdit>(form->FindComponent("edit")), *ok, frontEnd);
    EXPECT_EQ(form->ShowModal(), rtl::mrCancel) << c.what;
    EXPECT_EQ(rtl::Application->ComponentCount(), 0u) << c.what;
  }
}

}  // namespace
