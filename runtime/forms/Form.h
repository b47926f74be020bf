// Forms: the top-level windowed controls. A form is built from its form
// descriptions (the base class's first), then its create event runs; it is
// shown modally through the application's front end; its destroy event runs
// before its destruction.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <variant>
#include <vector>

#include "runtime/controls/Control.h"
#include "runtime/forms/FrontEnd.h"
#include "runtime/module/Module.h"

namespace rtl {

class TButton;

enum class TFormBorderStyle { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };
enum class TPosition {
  Designed,
  Default,
  DefaultPosOnly,
  DefaultSizeOnly,
  ScreenCenter,
  DesktopCenter,
  MainFormCenter,
  OwnerFormCenter
};

struct TBorderIcons {
  bool systemMenu = true, minimize = true, maximize = true, help = false;
};

class TCustomForm : public TWinControl, public IFormSite {
 public:
  ~TCustomForm() override;
  const char* ClassName() const noexcept override { return "TCustomForm"; }
  // Runs the destroy event while every component still exists.
  void BeforeDestruction() noexcept override;

  TWinControl* ActiveControl() const noexcept override { return activeControl_; }
  void SetActiveControl(TWinControl* control) override;
  void ControlRemoved(TControl* control) noexcept override;
  // The next (or previous) focusable control in tab order after current, wrapping.
  TWinControl* FindNextControl(TWinControl* current, bool forward, bool checkTabStop) const;
  void SelectNext(TWinControl* current, bool forward, bool checkTabStop);

  int ModalResult() const noexcept { return modalResult_; }
  void SetModalResult(int result) noexcept override { modalResult_ = result; }
  // Through the application's front end.
  void Beep() noexcept override;
  bool Modal() const noexcept { return modal_; }
  // True once a modal loop should stop: a modal result was set or the form was closed.
  bool ModalEnded() const noexcept { return modalResult_ != mrNone; }

  // Shows the form modally through the application's front end and returns
  // the modal result. Raises EInvalidOperation for a form already visible.
  int ShowModal();
  void Show();
  void Hide();
  // The close box and TCustomForm.Close: a modal form gets the modal result
  // mrCancel, any other form is hidden. The form is not destroyed.
  void Close();

  // Input from the front end. Handlers run here; an exception they raise goes
  // to the application's default exception handling, never to the front end.
  void HandleInput(const InputEvent& event) noexcept;

  TFormBorderStyle BorderStyle = TFormBorderStyle::Sizeable;
  TPosition Position = TPosition::Designed;
  TBorderIcons BorderIcons;
  AnsiString FontName;
  int FontHeight = 0;
  // The client area's size when the description gives it (ClientWidth,
  // ClientHeight; Width and Height then hold the same), else 0: Width and
  // Height are then the window's outer size.
  int ClientWidth = 0;
  int ClientHeight = 0;
  // The display's pixels per inch the description was made for, 96 unless it
  // says; a front end shows the form scaled by its display's pixels per inch
  // over these, unless Scaled is False.
  int PixelsPerInch = 96;
  bool Scaled = true;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnDestroy;

  // The module whose resources hold this form's descriptions.
  HINST Module() const noexcept { return module_; }
  const PublishedMethod* FindMethod(std::string_view name) const noexcept;
  // Binds a created component to the published field of that name, if any.
  // Raises EReadError when the field's type does not fit.
  void BindField(TComponent* component);

  bool SetProperty(std::string_view name, const PropertyValue& value) override;
  bool SetEvent(std::string_view name, const PublishedMethod& method) override;

  // Builds a form: constructs it, loads its descriptions and runs its create
  // event. When any step raises, the half-built form is destroyed and the
  // exception goes on to the caller.
  template <class T>
  static T* Create(TComponent* owner, HINST module) {
    Owned<T> form = MakeOwned<T>(owner);
    form->module_ = module;
    form->Construct();
    return form.release();
  }

 protected:
  explicit TCustomForm(TComponent* owner);
  // Called in each form class's constructor, base classes first: the class
  // has a form description of that name in the module's resources.
  void AddDescription(std::string className);
  template <class Field>
  void PublishField(std::string name, Field*& field) {
    fields_.push_back(FieldBinding{std::move(name),
                                   [&field](TComponent* c) {
                                     auto* typed = dynamic_cast<Field*>(c);
                                     if (typed != nullptr) field = typed;
                                     return typed != nullptr;
                                   },
                                   [&field] { return field != nullptr; }});
  }
  void PublishMethod(std::string name, PublishedMethod method);
  // Runs the create event (after the descriptions are loaded).
  virtual void DoCreate();
  virtual void DoShow();
  // Keys the form handles as a dialog: Tab, Esc, Enter on a button.
  bool DialogKey(TWinControl* target, Word key, TShiftState shift);
  std::intptr_t WndProc(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) override;

 private:
  struct FieldBinding {
    std::string name;
    std::function<bool(TComponent*)> bind;
    std::function<bool()> bound;
  };
  void Construct();
  void DispatchKey(Word key, TShiftState shift);
  void DispatchText(const AnsiString& text);
  void DispatchClick(TControl* control);
  TButton* FindCancelButton() const;
  TButton* FindAccelerator(char letter) const;

  HINST module_ = nullptr;
  std::vector<std::string> descriptions_;
  std::vector<FieldBinding> fields_;
  std::vector<std::pair<std::string, PublishedMethod>> methods_;
  TWinControl* activeControl_ = nullptr;
  int modalResult_ = mrNone;
  bool modal_ = false;
};

class TForm : public TCustomForm {
 public:
  const char* ClassName() const noexcept override { return "TForm"; }

 protected:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

}  // namespace rtl
