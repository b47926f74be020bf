#include "runtime/forms/Application.h"

#include <cstdio>
#include <exception>

#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace rtl {

TApplication* Application = nullptr;

TApplication::TApplication() : TComponent(nullptr) {}

void TApplication::HandleException() noexcept {
  AnsiString message = "Unknown exception";
  try {
    try {
      throw;
    } catch (const std::exception& e) {
      message = e.what();
    } catch (...) {
    }
    if (frontEnd_ != nullptr) {
      frontEnd_->ShowMessage(Title, message, TMsgKind::Error);
      return;
    }
  } catch (...) {
    // The front end failed too: fall through to the plain report.
  }
  std::fprintf(stderr, "%s\n", GbkToUtf8Display(message).c_str());
}

namespace {

// The application object lives as long as the runtime library is loaded.
struct ApplicationLifetime {
  ApplicationLifetime() { Application = new TApplication(); }
  ~ApplicationLifetime() {
    Free(Application);
    Application = nullptr;
  }
} lifetime;

}  // namespace

}  // namespace rtl
