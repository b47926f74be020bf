#include "runtime/forms/Application.h"

#include <cstdio>
#include <exception>

#include "runtime/boundary/UserMessage.h"
#include "runtime/except/Exceptions.h"
#include "runtime/forms/Form.h"
#include "runtime/text/Gbk.h"
#include "runtime/units/NoDestructor.h"

namespace rtl {

constinit TApplication* Application = nullptr;

namespace {

// Made when the runtime library is loaded and never destroyed (see the header).
struct ApplicationStart {
  ApplicationStart() { Application = &*object; }
  NoDestructor<TApplication> object;
} start;

}  // namespace

TApplication::TApplication() : TComponent(nullptr) {}

void TApplication::HandleException() noexcept {
  // The person is told in Chinese; the detail goes to standard error.
  try {
    const AnsiString text = UserMessageOfCurrentException();
    std::fprintf(stderr, "%s: %s\n", GbkToUtf8Display(Title).c_str(),
                 GbkToUtf8Display(DetailOfCurrentException()).c_str());
    try {
      if (frontEnd_ != nullptr) {
        frontEnd_->ShowMessage(Title, text, TMsgKind::Error);
        return;
      }
    } catch (...) {
      // The front end failed too: fall through to the plain report.
    }
    std::fprintf(stderr, "%s\n", GbkToUtf8Display(text).c_str());
  } catch (...) {
    // Out of memory while reporting: nothing more can be said.
  }
}

void TApplication::Beep() noexcept {
  try {
    if (frontEnd_ != nullptr) frontEnd_->Beep();
  } catch (...) {
    // A front end that cannot beep: the refusal stands all the same.
  }
}

void TApplication::DestroyFormsOf(HINST module) noexcept {
  for (std::size_t i = ComponentCount(); i-- > 0;) {
    if (i >= ComponentCount()) continue;  // a form's destruction took others along
    auto* form = dynamic_cast<TCustomForm*>(Components(i));
    if (form != nullptr && form->Module() == module) Free(form);
  }
}

}  // namespace rtl
