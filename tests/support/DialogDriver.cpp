#include "tests/support/DialogDriver.h"

#include <stdexcept>

#include "runtime/controls/StdCtrls.h"

namespace velmora::test {
namespace {

void CollectEdits(const rtl::TWinControl& parent, FormState& state) {
  for (const rtl::TControl* control : parent.Controls()) {
    if (const auto* edit = dynamic_cast<const rtl::TEdit*>(control)) state.edits[edit->Name()] = edit->Text();
    if (const auto* win = dynamic_cast<const rtl::TWinControl*>(control)) CollectEdits(*win, state);
  }
}

}  // namespace

FormState CaptureState(const rtl::TCustomForm& form) {
  FormState state;
  state.modalResult = form.ModalResult();
  if (const rtl::TWinControl* active = form.ActiveControl()) state.focused = active->Name();
  CollectEdits(form, state);
  return state;
}

rtl::InputEvent KeyEvent(rtl::Word key, rtl::TShiftState shift) {
  return {rtl::InputEvent::Kind::Key, key, shift, {}, nullptr};
}

rtl::InputEvent TextEvent(rtl::AnsiString gbk) { return {rtl::InputEvent::Kind::Text, 0, {}, std::move(gbk), nullptr}; }

rtl::InputEvent ClickEvent(rtl::TControl* control) { return {rtl::InputEvent::Kind::Click, 0, {}, {}, control}; }

Step Send(rtl::InputEvent event) {
  return [event = std::move(event)](rtl::ModalSession& session) { session.Deliver(event); };
}

Step Type(rtl::AnsiString gbk) { return Send(TextEvent(std::move(gbk))); }
Step Key(rtl::Word key, rtl::TShiftState shift) { return Send(KeyEvent(key, shift)); }
Step Enter() { return Key(rtl::VK_RETURN); }
Step Esc() { return Key(rtl::VK_ESCAPE); }
Step CloseBox() { return Send({rtl::InputEvent::Kind::Close, 0, {}, {}, nullptr}); }

Step Click(std::string control) {
  return [control = std::move(control)](rtl::ModalSession& session) {
    auto* target = dynamic_cast<rtl::TControl*>(session.Form()->FindComponent(control));
    if (target == nullptr) throw std::invalid_argument("no control named " + control);
    session.Deliver(ClickEvent(target));
  };
}

Step Inspect(std::function<void(rtl::TCustomForm& form)> check) {
  return [check = std::move(check)](rtl::ModalSession& session) { check(*session.Form()); };
}

Step ExpectFocus(std::string name) {
  return Inspect([name = std::move(name)](rtl::TCustomForm& form) { EXPECT_EQ(CaptureState(form).focused, name); });
}

bool DialogDriver::RunModal(rtl::ModalSession& session) {
  ++runs_;
  stillOpen_.reset();
  while (!session.Ended()) {
    if (steps_.empty()) {
      if (const rtl::TCustomForm* form = session.Form()) stillOpen_ = CaptureState(*form);
      return false;
    }
    const Step step = std::move(steps_.front());
    steps_.pop_front();
    step(session);
  }
  return true;
}

}  // namespace velmora::test
