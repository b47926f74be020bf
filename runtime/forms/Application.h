// The application object: the owner of the forms, the front end that
// presents them, and the default handling of exceptions that leave event
// handlers (a message box telling the person in Chinese, the detail on
// standard error).
#pragma once

#include "runtime/components/Component.h"
#include "runtime/forms/FrontEnd.h"
#include "runtime/module/Module.h"

namespace rtl {

class TApplication : public TComponent {
 public:
  TApplication();
  const char* ClassName() const noexcept override { return "TApplication"; }

  AnsiString Title = "Velmora";

  TFrontEnd* FrontEnd() const noexcept { return frontEnd_; }
  // The front end belongs to the caller and must outlive its use here.
  void SetFrontEnd(TFrontEnd* frontEnd) noexcept { frontEnd_ = frontEnd; }

  // Default exception handling: shows what the person is to be told of the
  // exception being handled (UserMessage.h) and writes its detail to
  // standard error. Call from inside a catch block. Never raises.
  void HandleException() noexcept;

  // Tells the front end that input was refused. Never raises.
  void Beep() noexcept;

  // Destroys the forms it owns that were built from module's resources: a
  // library going away takes the forms its host left alive along, since
  // their code goes with it.
  void DestroyFormsOf(HINST module) noexcept;

 private:
  TFrontEnd* frontEnd_ = nullptr;
};

// The application object of the process, created with the runtime library
// and never destroyed: libraries reach it while they unload, also when the
// process exits with them loaded.
extern constinit TApplication* Application;

// Makes a front end the application's for as long as the scope lasts, then
// puts the previous one back.
class FrontEndScope {
 public:
  explicit FrontEndScope(TFrontEnd& frontEnd) : previous_(Application->FrontEnd()) {
    Application->SetFrontEnd(&frontEnd);
  }
  ~FrontEndScope() { Application->SetFrontEnd(previous_); }
  FrontEndScope(const FrontEndScope&) = delete;
  FrontEndScope& operator=(const FrontEndScope&) = delete;

 private:
  TFrontEnd* previous_;
};

}  // namespace rtl
