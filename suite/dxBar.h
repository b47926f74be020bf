// A toolbar button item. Its visibility has three values; items that are
// never visible can still be shown while the toolbars are being customised.
#pragma once

#include "runtime/components/Component.h"
#include "runtime/components/Events.h"

namespace suite {

enum class TdxBarItemVisible : int { ivNever = 0, ivInCustomizing = 1, ivAlways = 2 };

class TdxBarButton : public rtl::TComponent {
 public:
  using TComponent::TComponent;
  const char* ClassName() const noexcept override { return "TdxBarButton"; }
  TdxBarItemVisible Visible = TdxBarItemVisible::ivAlways;
  rtl::AnsiString Caption;
  rtl::TNotifyEvent OnClick;
  bool SetProperty(std::string_view name, const rtl::PropertyValue& value) override;
  bool SetEvent(std::string_view name, const rtl::PublishedMethod& method) override;
};

}  // namespace suite
