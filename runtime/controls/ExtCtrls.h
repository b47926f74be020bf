// Decorative controls and the image list: a shape, a bevel line, an image.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/controls/Control.h"

namespace rtl {

class TShape : public TControl {
 public:
  using TControl::TControl;
  const char* ClassName() const noexcept override { return "TShape"; }
  std::int32_t BrushColor = 0xFFFFFF;
  bool PenClear = false;  // drawn without an outline
  bool SetProperty(std::string_view name, const PropertyValue& value) override;
};

class TBevel : public TControl {
 public:
  using TControl::TControl;
  const char* ClassName() const noexcept override { return "TBevel"; }
  bool Lowered = true;
  bool SetProperty(std::string_view name, const PropertyValue& value) override;
};

class TImage : public TControl {
 public:
  using TControl::TControl;
  const char* ClassName() const noexcept override { return "TImage"; }
  std::vector<std::uint8_t> Picture;  // the picture's class name, then its data
  bool SetProperty(std::string_view name, const PropertyValue& value) override;
};

// A list of equally sized images kept as one bitmap strip; not a control.
class TImageList : public TComponent {
 public:
  using TComponent::TComponent;
  const char* ClassName() const noexcept override { return "TImageList"; }
  int Width = 16;
  int Height = 16;
  std::vector<std::uint8_t> Bitmap;  // size, then a bitmap file of Count images side by side
  // The number of images: the strip's width divided by Width.
  int Count() const noexcept;
  bool SetProperty(std::string_view name, const PropertyValue& value) override;
};

}  // namespace rtl
