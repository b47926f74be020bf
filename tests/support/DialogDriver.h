// A front end for tests: it runs a list of steps against the modal form
// (typing, keys, clicks, the close box, checks in between) and records every
// message box. When the steps run out while the form is still open, it
// records the form's state at that moment, before the runtime closes the
// form. It needs nothing but the runtime.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runtime/forms/Application.h"
#include "runtime/forms/Form.h"
#include "runtime/forms/FrontEnd.h"

namespace velmora::test {

// What a test asserts about a form: its modal result, the name of the
// focused control (empty for none) and the text of every edit, by name.
struct FormState {
  int modalResult = 0;
  std::string focused;
  std::map<std::string, rtl::AnsiString> edits;
};

FormState CaptureState(const rtl::TCustomForm& form);

// Input events, for a form's HandleInput or a step.
rtl::InputEvent KeyEvent(rtl::Word key, rtl::TShiftState shift = {});
rtl::InputEvent TextEvent(rtl::AnsiString gbk);
rtl::InputEvent ClickEvent(rtl::TControl* control);

// One step of input or inspection while the form is shown.
using Step = std::function<void(rtl::ModalSession& session)>;

Step Send(rtl::InputEvent event);
Step Type(rtl::AnsiString gbk);
Step Key(rtl::Word key, rtl::TShiftState shift = {});
Step Enter();
Step Esc();
// Clicks the form's control of that name.
Step Click(std::string control);
Step CloseBox();
// Runs check against the form (still shown) without giving it input.
Step Inspect(std::function<void(rtl::TCustomForm& form)> check);
// Checks that the control named name has the focus.
Step ExpectFocus(std::string name);

struct ShownMessage {
  rtl::AnsiString caption;
  rtl::AnsiString text;
  rtl::TMsgKind kind;
};

class DialogDriver final : public rtl::TFrontEnd {
 public:
  explicit DialogDriver(std::vector<Step> steps = {}) : steps_(steps.begin(), steps.end()) {}

  void Then(Step step) { steps_.push_back(std::move(step)); }
  bool RunModal(rtl::ModalSession& session) override;
  void ShowMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) override {
    messages_.push_back({caption, text, kind});
  }
  void Beep() override { ++beeps_; }

  const std::vector<ShownMessage>& Messages() const noexcept { return messages_; }
  // How many modal loops it has run, and how often it was asked to beep.
  int Runs() const noexcept { return runs_; }
  int Beeps() const noexcept { return beeps_; }
  std::size_t RemainingSteps() const noexcept { return steps_.size(); }
  // The form's state when the steps ran out with it still open; nullopt
  // when the form ended itself.
  const std::optional<FormState>& StillOpen() const noexcept { return stillOpen_; }

 private:
  std::deque<Step> steps_;
  std::vector<ShownMessage> messages_;
  int runs_ = 0;
  int beeps_ = 0;
  std::optional<FormState> stillOpen_;
};

// A fixture whose tests show forms through frontEnd.
class FrontEndTest : public ::testing::Test {
 protected:
  DialogDriver frontEnd;

 private:
  rtl::FrontEndScope scope_{frontEnd};
};

}  // namespace velmora::test
