#include "suite/cxStyles.h"

#include <algorithm>

#include "runtime/components/Classes.h"
#include "runtime/except/Exceptions.h"

namespace suite {

bool TcxLookAndFeelController::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  if (name == "Kind") {
    Kind = static_cast<TcxLookAndFeelKind>(value.AsEnum({"lfFlat", "lfStandard", "lfUltraFlat", "lfOffice11"}));
  } else if (name == "NativeStyle") {
    NativeStyle = value.AsBoolean();
  } else {
    return TComponent::SetProperty(name, value);
  }
  return true;
}

TcxStyle::~TcxStyle() {
  if (repository_ != nullptr) repository_->Remove(this);
}

bool TcxStyle::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  if (name == "AssignedValues") {
    TcxStyleValues values;
    value.AsFlags({{"svColor", &values.color},
                   {"svFont", &values.font},
                   {"svTextColor", &values.textColor},
                   {"svBitmap", &values.bitmap}});
    AssignedValues = values;
  } else if (name == "Color") {
    Color = value.AsColor();
  } else if (name == "TextColor") {
    TextColor = value.AsColor();
  } else {
    return TComponent::SetProperty(name, value);
  }
  return true;
}

TcxStyleRepository::~TcxStyleRepository() {
  for (TcxStyle* style : styles_) style->repository_ = nullptr;
}

bool TcxStyleRepository::AdoptChild(rtl::TComponent* child) {
  auto* style = dynamic_cast<TcxStyle*>(child);
  if (style == nullptr) return false;
  if (style->repository_ != nullptr) style->repository_->Remove(style);
  styles_.push_back(style);
  style->repository_ = this;
  return true;
}

void TcxStyleRepository::Remove(TcxStyle* style) noexcept {
  styles_.erase(std::remove(styles_.begin(), styles_.end(), style), styles_.end());
  style->repository_ = nullptr;
}

namespace {
const rtl::ClassRegistration kController =
    rtl::ClassRegistration::Of<TcxLookAndFeelController>("TcxLookAndFeelController");
const rtl::ClassRegistration kRepository = rtl::ClassRegistration::Of<TcxStyleRepository>("TcxStyleRepository");
const rtl::ClassRegistration kStyle = rtl::ClassRegistration::Of<TcxStyle>("TcxStyle");
}  // namespace

}  // namespace suite
