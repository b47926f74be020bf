// The front end the host's services show their messages through in tests:
// whichever front end the application has at that moment, the test's
// DialogDriver while a dialog is shown.
#pragma once

#include "runtime/except/Exceptions.h"
#include "runtime/forms/Application.h"
#include "runtime/forms/FrontEnd.h"

namespace velmora::test {

class ApplicationScreen final : public rtl::TFrontEnd {
 public:
  bool RunModal(rtl::ModalSession&) override { return false; }  // services never show forms
  void ShowMessage(const rtl::AnsiString& caption, const rtl::AnsiString& text, rtl::TMsgKind kind) override {
    Current().ShowMessage(caption, text, kind);
  }
  void Beep() override { Current().Beep(); }

 private:
  static rtl::TFrontEnd& Current() {
    rtl::TFrontEnd* frontEnd = rtl::Application->FrontEnd();
    if (frontEnd == nullptr) throw rtl::EInvalidOperation("There is no front end to show the message");
    return *frontEnd;
  }
};

}  // namespace velmora::test
