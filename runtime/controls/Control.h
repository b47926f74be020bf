// TControl and TWinControl: visible controls with a parent, position,
// visibility, text, tab order, focus and input handlers.
//
// A windowed control is the parent of the controls placed on it. The parent
// destroys its child controls when it is destroyed; a child destroyed on its
// own detaches itself from its parent (and from its owner).
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "runtime/components/Component.h"
#include "runtime/components/Keys.h"

namespace rtl {

class TControl;
class TWinControl;

// The message that moves the focus: with both parameters 0, to the next tab
// stop after the focused control.
constexpr std::uint32_t WM_NEXTDLGCTL = 0x0028;

// Modal results.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

// The form a control sits on, as the controls see it: the keeper of the
// focus and of the modal result. Forms implement it (forms/Form.h); the
// controls need nothing else of them.
class IFormSite {
 public:
  virtual TWinControl* ActiveControl() const noexcept = 0;
  // Moves the focus; raises EInvalidOperation when control cannot take it.
  virtual void SetActiveControl(TWinControl* control) = 0;
  // Called when control goes away, is hidden or disabled: the focus leaves it.
  virtual void ControlRemoved(TControl* control) noexcept = 0;
  virtual void SetModalResult(int result) noexcept = 0;
  // Tells the person that input was refused.
  virtual void Beep() noexcept = 0;

 protected:
  ~IFormSite() = default;
};

enum class TAlign { None, Top, Bottom, Left, Right, Client };

struct TAnchors {
  bool left = true, top = true, right = false, bottom = false;
};

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  const char* ClassName() const noexcept override { return "TControl"; }

  TWinControl* Parent() const noexcept { return parent_; }
  void SetParent(TWinControl* parent);

  bool Visible() const noexcept { return visible_; }
  void SetVisible(bool visible);
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled);
  // Visible, and every parent up to the form visible too.
  bool Showing() const noexcept;

  // Caption and Text are one property, as in the toolkit.
  const AnsiString& Text() const noexcept { return text_; }
  virtual void SetText(const AnsiString& text);
  const AnsiString& Caption() const noexcept { return text_; }
  void SetCaption(const AnsiString& caption) { SetText(caption); }

  int Left = 0, Top = 0, Width = 0, Height = 0;
  TAlign Align = TAlign::None;
  TAnchors Anchors;
  bool AutoSize = false;
  bool Transparent = false;
  std::int32_t Color = 0;
  std::int32_t FontColor = 0;

  TNotifyEvent OnClick;
  // Runs the click: the OnClick handler of an enabled control.
  virtual void Click();

  // Sends a message to the control and returns its answer.
  std::intptr_t Perform(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam);

  // The form this control is on, or nullptr.
  IFormSite* FormSite() const noexcept;

  bool SetProperty(std::string_view name, const PropertyValue& value) override;
  bool SetEvent(std::string_view name, const PublishedMethod& method) override;

 protected:
  virtual std::intptr_t WndProc(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam);
  // Change the text in place, as typing does: no copy of the whole text.
  void AppendText(std::string_view text) { text_.append(text); }
  void TruncateText(std::size_t length) { text_.resize(std::min(length, text_.size())); }

 private:
  friend class TWinControl;
  TWinControl* parent_ = nullptr;
  bool visible_ = true;
  bool enabled_ = true;
  AnsiString text_;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  const char* ClassName() const noexcept override { return "TWinControl"; }

  const std::vector<TControl*>& Controls() const noexcept { return controls_; }

  int TabOrder() const noexcept { return tabOrder_; }
  void SetTabOrder(int order);
  bool TabStop = false;

  // Visible and enabled, with every parent up to the form visible and enabled.
  bool CanFocus() const noexcept;
  bool Focused() const noexcept;
  // Raises EInvalidOperation when the control cannot take the focus.
  void SetFocus();

  // The windowed children and their descendants in tab order.
  void GetTabOrderList(std::vector<TWinControl*>& list) const;

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;

  // Key input: run the handlers; a handler may change or zero the key.
  virtual void KeyDown(Word& key, TShiftState shift);
  virtual void KeyPress(char& key);
  // Text input of characters that have no single-byte key (double-byte characters).
  virtual void InsertText(const AnsiString& text);
  // Whether the control wants this key itself rather than leave it to the dialog.
  virtual bool WantsKey(Word key) const noexcept;

  bool SetProperty(std::string_view name, const PropertyValue& value) override;
  bool SetEvent(std::string_view name, const PublishedMethod& method) override;
  bool AdoptChild(TComponent* child) override;

 private:
  friend class TControl;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);

  std::vector<TControl*> controls_;  // children, in insertion order
  std::uint64_t insertions_ = 0;     // children ever inserted, to number the next one
  int tabOrder_ = -1;
  std::uint64_t insertion_ = 0;  // when it was inserted into its parent, for tab-order ties
};

}  // namespace rtl
