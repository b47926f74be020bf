#include "tests/support/DialogDriver.h"

#include <stdexcept>

#include "runtime/controls/StdCtrls.h"
#include "runtime/forms/Application.h"
#include "runtime/text/Gbk.h"
#include "runtime/text/Unicode.h"

namespace velmora::test {
namespace {

void CollectEdits(const rtl::TWinControl& parent, FormState& state) {
  for (const rtl::TControl* control : parent.Controls()) {
    if (const auto* edit = dynamic_cast<const rtl::TEdit*>(control)) state.edits[edit->Name()] = edit->Text();
    if (const auto* win = dynamic_cast<const rtl::TWinControl*>(control)) CollectEdits(*win, state);
  }
}

rtl::InputEvent KeyEvent(rtl::Word key, rtl::TShiftState shift) {
  rtl::InputEvent e;
  e.kind = rtl::InputEvent::Kind::Key;
  e.key = key;
  e.shift = shift;
  return e;
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
  return [gbk](DialogDriver& driver, rtl::ModalSession& session) {
    rtl::InputEvent e;
    e.kind = rtl::InputEvent::Kind::Text;
    e.text = gbk;
    driver.Deliver(session, e);
  };
}

Step Key(rtl::Word key, rtl::TShiftState shift) {
  return [key, shift](DialogDriver& driver, rtl::ModalSession& session) {
    driver.Deliver(session, KeyEvent(key, shift));
  };
}

Step Enter() { return Key(rtl::VK_RETURN); }
Step Esc() { return Key(rtl::VK_ESCAPE); }

Step Click(std::string control) {
  return [control](DialogDriver& driver, rtl::ModalSession& session) {
    rtl::InputEvent e;
    e.kind = rtl::InputEvent::Kind::Click;
    e.control = dynamic_cast<rtl::TControl*>(session.Form()->FindComponent(control));
    if (e.control == nullptr) throw std::invalid_argument("no control named " + control);
    driver.Deliver(session, e);
  };
}

Step CloseBox() {
  return [](DialogDriver& driver, rtl::ModalSession& session) {
    rtl::InputEvent e;
    e.kind = rtl::InputEvent::Kind::Close;
    driver.Deliver(session, e);
  };
}

Step Inspect(std::function<void(rtl::TCustomForm& form)> check) {
  return [check](DialogDriver&, rtl::ModalSession& session) { check(*session.Form()); };
}

DialogDriver::DialogDriver(host::SessionLog& log, std::vector<Step> steps)
    : HostFrontEnd(log), steps_(std::move(steps)) {}

void DialogDriver::AddSteps(std::vector<Step> steps) {
  for (Step& step : steps) steps_.push_back(std::move(step));
}

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

std::vector<rtl::AnsiString> DialogDriver::MessageTexts() const {
  std::vector<rtl::AnsiString> texts;
  for (const RecordedMessage& m : messages_) texts.push_back(m.text);
  return texts;
}

std::vector<rtl::TMsgKind> DialogDriver::MessageKinds() const {
  std::vector<rtl::TMsgKind> kinds;
  for (const RecordedMessage& m : messages_) kinds.push_back(m.kind);
  return kinds;
}

void DialogDriver::PresentMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) {
  messages_.push_back({caption, text, kind});
}

FrontEndScope::FrontEndScope(rtl::TFrontEnd& frontEnd) : previous_(rtl::Application->FrontEnd()) {
  rtl::Application->SetFrontEnd(&frontEnd);
}

FrontEndScope::~FrontEndScope() { rtl::Application->SetFrontEnd(previous_); }

// Built by appending: GCC 12 warns wrongly (-Wrestrict) about chained +.
std::string Readable(const rtl::AnsiString& gbk) {
  std::string out(1, '"');
  out.append(rtl::GbkToUtf8Display(gbk)).push_back('"');
  return out;
}

std::string Readable(const std::vector<rtl::AnsiString>& gbk) {
  std::string out(1, '[');
  for (std::size_t i = 0; i < gbk.size(); ++i) {
    if (i > 0) out.append(", ");
    out.append(Readable(gbk[i]));
  }
  out.push_back(']');
  return out;
}

std::string Readable(const rtl::WideString& wide) {
  std::string out("u\"");
  out.append(rtl::WideToUtf8(wide)).push_back('"');
  return out;
}

std::string Readable(const std::vector<rtl::TMsgKind>& kinds) {
  std::string out(1, '[');
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    if (i > 0) out.append(", ");
    out.append(kinds[i] == rtl::TMsgKind::Information ? "information"
               : kinds[i] == rtl::TMsgKind::Warning   ? "warning"
                                                       : "error");
  }
  out.push_back(']');
  return out;
}

}  // namespace velmora::test
