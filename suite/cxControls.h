// The suite's controls used by the module's forms: a tab control used as a
// background panel, a group box, buttons with glyphs, labels, masked edits
// with password echo, and an image.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/controls/StdCtrls.h"
#include "suite/Decorations.h"

namespace suite {

class TcxTabControl : public rtl::TWinControl {
 public:
  explicit TcxTabControl(rtl::TComponent* owner) : TWinControl(owner) {}
  const char* ClassName() const noexcept override { return "TcxTabControl"; }
  int Style = 0;
  bool SetProperty(std::string_view name, const rtl::PropertyValue& value) override;
};

class TcxGroupBox : public rtl::TWinControl {
 public:
  explicit TcxGroupBox(rtl::TComponent* owner) : TWinControl(owner) {}
  const char* ClassName() const noexcept override { return "TcxGroupBox"; }
  bool SetProperty(std::string_view name, const rtl::PropertyValue& value) override;
};

class TcxButton : public rtl::TButton {
 public:
  using TButton::TButton;
  const char* ClassName() const noexcept override { return "TcxButton"; }
  std::vector<std::uint8_t> Glyph;
  bool SetProperty(std::string_view name, const rtl::PropertyValue& value) override;
};

class TcxLabel : public rtl::TLabel {
 public:
  using TLabel::TLabel;
  const char* ClassName() const noexcept override { return "TcxLabel"; }
  bool SetProperty(std::string_view name, const rtl::PropertyValue& value) override;
};

class TcxMaskEdit : public rtl::TEdit {
 public:
  using TEdit::TEdit;
  const char* ClassName() const noexcept override { return "TcxMaskEdit"; }
  bool SetProperty(std::string_view name, const rtl::PropertyValue& value) override;
};

class TcxImage : public rtl::TWinControl {
 public:
  explicit TcxImage(rtl::TComponent* owner) : TWinControl(owner) { TabStop = true; }
  const char* ClassName() const noexcept override { return "TcxImage"; }
  std::vector<std::uint8_t> Picture;
  bool SetProperty(std::string_view name, const rtl::PropertyValue& value) override;
};

}  // namespace suite
