#include "runtime/forms/Form.h"

#include <algorithm>
#include <functional>

#include "runtime/controls/StdCtrls.h"
#include "runtime/except/Exceptions.h"
#include "runtime/forms/Application.h"
#include "runtime/forms/Description.h"
#include "runtime/text/Gbk.h"

namespace rtl {
namespace {

bool IsAncestorOf(const TControl* ancestor, const TControl* control) {
  for (const TControl* c = control; c != nullptr; c = c->Parent()) {
    if (c == ancestor) return true;
  }
  return false;
}

// The first button on parent or below it, in control order, that passes test.
TButton* FindButton(const TWinControl& parent, const std::function<bool(const TButton&)>& test) {
  for (TControl* c : parent.Controls()) {
    if (auto* button = dynamic_cast<TButton*>(c); button != nullptr && test(*button)) return button;
    if (auto* win = dynamic_cast<TWinControl*>(c)) {
      if (TButton* found = FindButton(*win, test)) return found;
    }
  }
  return nullptr;
}

class Session final : public ModalSession {
 public:
  Session(TCustomForm& form, std::shared_ptr<const bool> alive) : form_(&form), alive_(std::move(alive)) {}
  TCustomForm* Form() const noexcept override { return *alive_ ? form_ : nullptr; }
  bool Ended() const noexcept override { return !*alive_ || form_->ModalEnded(); }
  void Deliver(const InputEvent& event) noexcept override {
    if (*alive_) form_->HandleInput(event);
  }

 private:
  TCustomForm* form_;
  std::shared_ptr<const bool> alive_;
};

}  // namespace

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) { TControl::SetVisible(false); }

void TCustomForm::BeforeDestruction() noexcept {
  if (Destroying()) return;
  TWinControl::BeforeDestruction();
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      if (Application != nullptr) Application->HandleException();
    }
  }
}

TCustomForm::~TCustomForm() { activeControl_ = nullptr; }

void TCustomForm::Construct() {
  std::string rootName;
  for (std::size_t i = 0; i < descriptions_.size(); ++i) {
    const std::string& className = descriptions_[i];
    const auto data = LoadResource(module_, RT_RCDATA, className);
    const DescriptionNode root = ReadDescription(data);
    if (!SameText(root.className, className)) {
      throw EReadError("Form description of " + className + " describes " + root.className);
    }
    if (root.inherited != (i > 0)) {
      throw EReadError("Form description of " + className + (i > 0 ? " must" : " must not") + " be inherited");
    }
    ApplyDescription(*this, root);
    rootName = root.name;
  }
  for (const FieldBinding& field : fields_) {
    if (!field.bound()) throw EReadError("Component " + field.name + " is missing from the form description");
  }
  // A second form of the same class gets a name of its own among its owner's components.
  std::string name = rootName;
  for (int n = 1; Owner() != nullptr && Owner()->FindComponent(name) != nullptr; ++n) {
    name = rootName + "_" + std::to_string(n);
  }
  SetName(name);
  DoCreate();
}

void TCustomForm::AddDescription(std::string className) { descriptions_.push_back(std::move(className)); }

void TCustomForm::PublishMethod(std::string name, PublishedMethod method) {
  methods_.emplace_back(std::move(name), std::move(method));
}

const PublishedMethod* TCustomForm::FindMethod(std::string_view name) const noexcept {
  // The last one published wins, so a class's own handler replaces its base's.
  const auto it =
      std::find_if(methods_.rbegin(), methods_.rend(), [name](const auto& m) { return SameText(m.first, name); });
  return it != methods_.rend() ? &it->second : nullptr;
}

void TCustomForm::BindField(TComponent* component) {
  for (const FieldBinding& field : fields_) {
    if (SameText(field.name, component->Name()) && !field.bind(component)) {
      throw EReadError("Component " + component->Name() + " is not of the class of its field");
    }
  }
}

void TCustomForm::Beep() noexcept {
  if (Application != nullptr) Application->Beep();
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == activeControl_) return;
  if (control != nullptr && (control->FormSite() != this || !control->CanFocus())) {
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  }
  activeControl_ = control;
}

void TCustomForm::ControlRemoved(TControl* control) noexcept {
  if (activeControl_ != nullptr && IsAncestorOf(control, activeControl_)) activeControl_ = nullptr;
}

TWinControl* TCustomForm::FindNextControl(TWinControl* current, bool forward, bool checkTabStop) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const auto count = static_cast<std::ptrdiff_t>(list.size());
  const auto found = std::find(list.begin(), list.end(), current);
  std::ptrdiff_t index = found == list.end() ? (forward ? -1 : count) : found - list.begin();
  for (std::ptrdiff_t step = 0; step < count; ++step) {
    index = forward ? (index + 1) % count : (index - 1 + count) % count;
    TWinControl* candidate = list[static_cast<std::size_t>(index)];
    if (candidate != current && candidate->CanFocus() && (!checkTabStop || candidate->TabStop)) return candidate;
  }
  return nullptr;
}

void TCustomForm::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(current, forward, checkTabStop)) SetActiveControl(next);
}

std::intptr_t TCustomForm::WndProc(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) {
  if (message == WM_NEXTDLGCTL && lParam == 0) {
    SelectNext(activeControl_, wParam == 0, true);
    return 0;
  }
  return TWinControl::WndProc(message, wParam, lParam);
}

void TCustomForm::Show() {
  TControl::SetVisible(true);
  DoShow();
}

void TCustomForm::Hide() { TControl::SetVisible(false); }

void TCustomForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
  } else {
    Hide();
  }
}

int TCustomForm::ShowModal() {
  if (Visible() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  TFrontEnd* frontEnd = Application != nullptr ? Application->FrontEnd() : nullptr;
  if (frontEnd == nullptr) throw EInvalidOperation("There is no front end to show the form");
  const std::shared_ptr<const bool> alive = AliveFlag();
  modalResult_ = mrNone;
  modal_ = true;
  try {
    Show();
    if (!*alive) return mrCancel;  // destroyed by its show handler
    if (activeControl_ == nullptr) SelectNext(nullptr, true, true);
    Session session(*this, alive);
    const bool finished = frontEnd->RunModal(session);
    if (!*alive) return mrCancel;
    if (!finished && modalResult_ == mrNone) Close();
  } catch (...) {
    if (*alive) {
      modal_ = false;
      Hide();
    }
    throw;
  }
  modal_ = false;
  Hide();
  return modalResult_;
}

void TCustomForm::HandleInput(const InputEvent& event) noexcept {
  try {
    switch (event.kind) {
      case InputEvent::Kind::Key: DispatchKey(event.key, event.shift); break;
      case InputEvent::Kind::Text: DispatchText(event.text); break;
      case InputEvent::Kind::Click: DispatchClick(event.control); break;
      case InputEvent::Kind::Close: Close(); break;
    }
  } catch (...) {
    if (Application != nullptr) Application->HandleException();
  }
}

void TCustomForm::DispatchKey(Word key, TShiftState shift) {
  const std::shared_ptr<const bool> alive = AliveFlag();
  if (shift.alt && ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) {
    if (TButton* button = FindAccelerator(static_cast<char>(key))) {
      button->SetFocus();
      button->Click();
    }
    return;
  }
  TWinControl* target = activeControl_ != nullptr ? activeControl_ : this;
  Word k = key;
  target->KeyDown(k, shift);
  if (!*alive || k == 0) return;
  if (!target->WantsKey(k) && DialogKey(target, k, shift)) return;
  if (!*alive) return;
  char c = '\0';
  if (k == VK_RETURN) c = '\r';
  else if (k == VK_ESCAPE) c = '\x1b';
  else if (k == VK_BACK) c = '\b';
  else if (k == VK_SPACE) c = ' ';
  if (c != '\0') target->KeyPress(c);
}

bool TCustomForm::DialogKey(TWinControl* target, Word key, TShiftState shift) {
  if (shift.alt || shift.ctrl) return false;
  if (key == VK_TAB) {
    SelectNext(activeControl_, !shift.shift, true);
    return true;
  }
  if (shift.shift) return false;
  if (key == VK_ESCAPE) {
    if (TButton* cancel = FindCancelButton()) {
      cancel->Click();
      return true;
    }
    return false;
  }
  if (key == VK_RETURN || key == VK_SPACE) {
    if (auto* button = dynamic_cast<TButton*>(target)) {
      button->Click();
      return true;
    }
    if (key == VK_RETURN) {
      if (TButton* b = FindButton(*this, [](const TButton& x) { return x.Default && x.CanFocus(); })) {
        b->Click();
        return true;
      }
    }
  }
  return false;
}

void TCustomForm::DispatchText(const AnsiString& text) {
  TWinControl* target = activeControl_;
  if (target == nullptr) return;
  const std::shared_ptr<const bool> alive = AliveFlag();
  for (std::size_t pos = 0; pos < text.size() && *alive && activeControl_ == target;) {
    const std::size_t length = std::max<std::size_t>(GbkCharLength(text, pos), 1);
    if (length == 1) {
      char c = text[pos];
      if (dynamic_cast<TButton*>(target) != nullptr) {
        // A letter typed on a button acts as its accelerator.
        if (TButton* button = FindAccelerator(c)) {
          button->SetFocus();
          button->Click();
          return;
        }
      } else {
        target->KeyPress(c);
      }
    } else {
      target->InsertText(text.substr(pos, length));
    }
    pos += length;
  }
}

void TCustomForm::DispatchClick(TControl* control) {
  if (control == nullptr || control->FormSite() != this || !control->Showing() || !control->Enabled()) return;
  if (auto* win = dynamic_cast<TWinControl*>(control); win != nullptr && win->TabStop && win->CanFocus()) {
    SetActiveControl(win);
  }
  control->Click();
}

TButton* TCustomForm::FindCancelButton() const {
  return FindButton(*this, [](const TButton& b) { return b.Cancel && b.CanFocus(); });
}

TButton* TCustomForm::FindAccelerator(char letter) const {
  // Accelerators ignore letter case; Accelerator() gives them upper-cased.
  const char upper = UpCase(letter);
  return FindButton(*this, [upper](const TButton& b) { return b.Accelerator() == upper && b.CanFocus(); });
}

bool TCustomForm::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "BorderStyle") {
    BorderStyle = static_cast<TFormBorderStyle>(
        value.AsEnum({"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}));
  } else if (name == "Position") {
    Position = static_cast<TPosition>(
        value.AsEnum({"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                      "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"}));
  } else if (name == "BorderIcons") {
    TBorderIcons icons;
    value.AsFlags({{"biSystemMenu", &icons.systemMenu},
                   {"biMinimize", &icons.minimize},
                   {"biMaximize", &icons.maximize},
                   {"biHelp", &icons.help}});
    BorderIcons = icons;
  } else if (name == "ClientWidth") {
    Width = ClientWidth = value.AsInt32();
  } else if (name == "ClientHeight") {
    Height = ClientHeight = value.AsInt32();
  } else if (name == "Font.Name") {
    FontName = value.AsText();
  } else if (name == "Font.Height") {
    FontHeight = value.AsInt32();
  } else if (name == "OldCreateOrder") {
    // Only the modern order is supported: create after construction, destroy before destruction.
    if (value.AsBoolean()) throw EReadError("OldCreateOrder True is not supported");
  } else if (name == "PixelsPerInch") {
    const std::int32_t pixels = value.AsInt32();
    if (pixels <= 0) throw EReadError("PixelsPerInch must be positive");
    PixelsPerInch = pixels;
  } else if (name == "Scaled") {
    Scaled = value.AsBoolean();
  } else if (name == "Font.Charset" || name == "Font.Style" || name == "TextHeight") {
    // Presentation hints kept by the description only.
    (void)value;
  } else {
    return TWinControl::SetProperty(name, value);
  }
  return true;
}

bool TCustomForm::SetEvent(std::string_view name, const PublishedMethod& method) {
  if (name == "OnCreate") return AssignEvent(OnCreate, method);
  if (name == "OnShow") return AssignEvent(OnShow, method);
  if (name == "OnDestroy") return AssignEvent(OnDestroy, method);
  return TWinControl::SetEvent(name, method);
}

}  // namespace rtl
