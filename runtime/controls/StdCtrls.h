// The standard controls: labels, edits, buttons.
#pragma once

#include "runtime/controls/Control.h"

namespace rtl {

class TLabel : public TControl {
 public:
  // A label fits its caption unless its description says AutoSize = False
  // (the toolkit's default, which descriptions leave out).
  explicit TLabel(TComponent* owner) : TControl(owner) { AutoSize = true; }
  const char* ClassName() const noexcept override { return "TLabel"; }
};

class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* owner);
  const char* ClassName() const noexcept override { return "TEdit"; }

  // The most bytes an edit takes from typing when MaxLength is 0: what a
  // Windows edit control takes by default.
  static constexpr std::size_t kDefaultMaxLength = 32767;

  // When not NUL, every character is shown as this character.
  char PasswordChar = '\0';
  // The most bytes the edit takes from typing; 0 for kDefaultMaxLength.
  // Typing beyond it is refused (the front end beeps); SetText is not limited.
  int MaxLength = 0;
  bool ReadOnly = false;

  void KeyPress(char& key) override;
  void InsertText(const AnsiString& text) override;
  bool SetProperty(std::string_view name, const PropertyValue& value) override;
  // What the edit shows: the text, or one password character per character.
  AnsiString DisplayText() const;

 private:
  void RefuseInput() const noexcept;
  // Adds typed text, or refuses it when it would pass the limit.
  void Append(std::string_view text);
};

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  const char* ClassName() const noexcept override { return "TButton"; }

  // Esc clicks the form's cancel button.
  bool Cancel = false;
  bool Default = false;
  // When not mrNone, a click sets the form's modal result to this value.
  int ModalResult = 0;

  void Click() override;
  // The letter after the ampersand of the caption, upper-cased, or NUL
  // (controls/Accelerator.h).
  char Accelerator() const;
  bool SetProperty(std::string_view name, const PropertyValue& value) override;
};

class TBitBtn : public TButton {
 public:
  using TButton::TButton;
  const char* ClassName() const noexcept override { return "TBitBtn"; }
  std::vector<std::uint8_t> Glyph;
  bool SetProperty(std::string_view name, const PropertyValue& value) override;
};

}  // namespace rtl
