#include "host/MessageBoxes.h"

#include "runtime/except/Exceptions.h"
#include "runtime/forms/Application.h"

namespace host {

void ShowHostMessage(const rtl::AnsiString& text, rtl::TMsgKind kind) {
  rtl::TFrontEnd* frontEnd = rtl::Application->FrontEnd();
  if (frontEnd == nullptr) throw rtl::EInvalidOperation("There is no front end to show the message");
  frontEnd->ShowMessage(rtl::Application->Title, text, kind);
}

}  // namespace host
