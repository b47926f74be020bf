#include "suite/dxBar.h"

#include "runtime/components/Classes.h"

namespace suite {

bool TdxBarButton::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  if (name == "Visible") {
    Visible = static_cast<TdxBarItemVisible>(value.AsEnum({"ivNever", "ivInCustomizing", "ivAlways"}));
  } else if (name == "Caption") {
    Caption = value.AsText();
  } else {
    return TComponent::SetProperty(name, value);
  }
  return true;
}

bool TdxBarButton::SetEvent(std::string_view name, const rtl::PublishedMethod& method) {
  if (name == "OnClick") return rtl::AssignEvent(OnClick, method);
  return TComponent::SetEvent(name, method);
}

namespace {
const rtl::ClassRegistration kBarButton = rtl::ClassRegistration::Of<TdxBarButton>("TdxBarButton");
}  // namespace

}  // namespace suite
