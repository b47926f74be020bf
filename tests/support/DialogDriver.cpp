#include "tests/support/DialogDriver.h"

#include <stdexcept>

#include "runtime/controls/StdCtrls.h"
#include "runtime/forms/Application.h"

namespace velmora::test {
namespace {

void CollectEdits(const rtl::TWinControl& parent, FormState& state) {
  for (const rtl::TControl* control : parent.Controls()) {
    if (const auto* edit = dynamic_cast<const rtl::TEdit*>(control)) state.edits[edit->Name()] = edit->Text();
    if (const auto* win = dynamic_cast<const rtl::TWinControl*>(control)) CollectEdits(*win, state);
  }
}

Step Event(rtl::InputEvent::Kind kind, std::function<void(rtl::InputEvent&, rtl::ModalSession&)> fill = {}) {
  return [kind, fill](DialogDriver& driver, rtl::ModalSession& session) {
    rtl::InputEvent e;
    e.kind = kind;
    if (fill) fill(e, session);
    driver.Deliver(session, e);
  };
}

}  // namespace

FormState CaptureState(const rtl::TCustomForm& form) {
  FormState state;
  state.modalResult = form.ModalResult();
  if (const rtl::TWinControl* active = form.ActiveControl()) state.focused = active->Name();
  CollectEdits(form, state);
  return state;
}

Step Type(rtl::AnsiString gbk) {
  return Event(rtl::InputEvent::Kind::Text, [gbk](rtl::InputEvent& e, rtl::ModalSession&) { e.text = gbk; });
}

Step Key(rtl::Word key) {
  return Event(rtl::InputEvent::Kind::Key, [key](rtl::InputEvent& e, rtl::ModalSession&) { e.key = key; });
}

Step Enter() { return Key(rtl::VK_RETURN); }
Step Esc() { return Key(rtl::VK_ESCAPE); }
Step CloseBox() { return Event(rtl::InputEvent::Kind::Close); }

Step Click(std::string control) {
  return Event(rtl::InputEvent::Kind::Click, [control](rtl::InputEvent& e, rtl::ModalSession& session) {
    e.control = dynamic_cast<rtl::TControl*>(session.Form()->FindComponent(control));
    if (e.control == nullptr) throw std::invalid_argument("no control named " + control);
  });
}

Step Inspect(std::function<void(rtl::TCustomForm& form)> check) {
  return [check](DialogDriver&, rtl::ModalSession& session) { check(*session.Form()); };
}

Step ExpectFocus(std::string name) {
  return Inspect([name](rtl::TCustomForm& form) { EXPECT_EQ(CaptureState(form).focused, name); });
}

DialogDriver::DialogDriver(host::SessionLog& log, std::vector<Step> steps)
    : HostFrontEnd(log), steps_(std::move(steps)) {}

bool DialogDriver::RunModal(rtl::ModalSession& session) {
  stillOpen_.reset();
  while (!session.Ended()) {
    if (next_ >= steps_.size()) {
      stillOpen_ = CaptureState(*session.Form());
      return false;
    }
    steps_[next_++](*this, session);
  }
  return true;
}

FrontEndScope::FrontEndScope(rtl::TFrontEnd& frontEnd) : previous_(rtl::Application->FrontEnd()) {
  rtl::Application->SetFrontEnd(&frontEnd);
}

FrontEndScope::~FrontEndScope() { rtl::Application->SetFrontEnd(previous_); }

}  // namespace velmora::test
