#include "runtime/controls/ExtCtrls.h"

#include "runtime/except/Exceptions.h"

namespace rtl {

bool TShape::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "Brush.Color") BrushColor = value.AsColor();
  else if (name == "Pen.Style")
    PenClear = value.AsEnum({"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear"}) == 5;
  else return TControl::SetProperty(name, value);
  return true;
}

bool TBevel::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "Style") Lowered = value.AsEnum({"bsLowered", "bsRaised"}) == 0;
  else if (name == "Shape")
    value.AsEnum({"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"});
  else return TControl::SetProperty(name, value);
  return true;
}

bool TImage::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "Picture.Data") Picture.assign(value.AsBinary().begin(), value.AsBinary().end());
  else if (name == "Stretch" || name == "Center" || name == "Proportional") value.AsBoolean();
  else return TControl::SetProperty(name, value);
  return true;
}

int TImageList::Count() const noexcept {
  // The strip's width sits in the bitmap header: 4 bytes of size, 14 of file header, then width.
  constexpr std::size_t kWidthAt = 4 + 14 + 4;
  if (Width <= 0 || Bitmap.size() < kWidthAt + 4) return 0;
  const std::uint32_t stripWidth =
      static_cast<std::uint32_t>(Bitmap[kWidthAt]) | static_cast<std::uint32_t>(Bitmap[kWidthAt + 1]) << 8 |
      static_cast<std::uint32_t>(Bitmap[kWidthAt + 2]) << 16 | static_cast<std::uint32_t>(Bitmap[kWidthAt + 3]) << 24;
  return static_cast<int>(stripWidth / static_cast<std::uint32_t>(Width));
}

bool TImageList::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "Width") Width = value.AsInt32();
  else if (name == "Height") Height = value.AsInt32();
  else if (name == "Bitmap") Bitmap.assign(value.AsBinary().begin(), value.AsBinary().end());
  else return TComponent::SetProperty(name, value);
  return true;
}

}  // namespace rtl
