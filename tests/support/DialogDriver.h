// A front end for tests: it runs a list of steps against the modal form
// (typing, keys, clicks, the close box, checks in between) and records every
// message box with its GBK text. When the steps run out while the form is
// still open, it records the form's state at that moment, before the
// runtime closes the form.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/HostFrontEnd.h"
#include "host/SessionLog.h"
#include "runtime/forms/Form.h"
#include "tests/support/Expectations.h"

namespace velmora::test {

// What a test asserts about a form: its modal result, the name of the
// focused control (empty for none) and the text of every edit, by name.
struct FormState {
  int modalResult = 0;
  std::string focused;
  std::map<std::string, rtl::AnsiString> edits;
};

FormState CaptureState(const rtl::TCustomForm& form);

class DialogDriver;
// One step of input or inspection while the form is shown.
using Step = std::function<void(DialogDriver& driver, rtl::ModalSession& session)>;

Step Type(rtl::AnsiString gbk);
Step Key(rtl::Word key);
Step Enter();
Step Esc();
Step Click(std::string control);
Step CloseBox();
// Runs check against the form (still shown) without giving it input.
Step Inspect(std::function<void(rtl::TCustomForm& form)> check);
// Checks that the control named name has the focus.
Step ExpectFocus(std::string name);

class DialogDriver final : public host::HostFrontEnd {
 public:
  DialogDriver(host::SessionLog& log, std::vector<Step> steps = {});

  bool RunModal(rtl::ModalSession& session) override;
  void Deliver(rtl::ModalSession& session, const rtl::InputEvent& event) { HostFrontEnd::Deliver(session, event); }

  const std::vector<rtl::AnsiString>& MessageTexts() const noexcept { return texts_; }
  const std::vector<rtl::TMsgKind>& MessageKinds() const noexcept { return kinds_; }
  std::size_t RemainingSteps() const noexcept { return steps_.size() - next_; }
  // The form's state when the steps ran out with it still open; nullopt
  // when the form ended itself.
  const std::optional<FormState>& StillOpen() const noexcept { return stillOpen_; }

 protected:
  void PresentMessage(const rtl::AnsiString&, const rtl::AnsiString& text, rtl::TMsgKind kind) override {
    texts_.push_back(text);
    kinds_.push_back(kind);
  }

 private:
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  std::vector<rtl::AnsiString> texts_;
  std::vector<rtl::TMsgKind> kinds_;
  std::optional<FormState> stillOpen_;
};

// Makes frontEnd the application's front end for the lifetime of the scope.
class FrontEndScope {
 public:
  explicit FrontEndScope(rtl::TFrontEnd& frontEnd);
  ~FrontEndScope();
  FrontEndScope(const FrontEndScope&) = delete;
  FrontEndScope& operator=(const FrontEndScope&) = delete;

 private:
  rtl::TFrontEnd* previous_;
};

}  // namespace velmora::test
