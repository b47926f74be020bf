// Look and feel: the controller that sets the suite's painting style, and a
// repository of named colour styles.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/components/Component.h"

namespace suite {

enum class TcxLookAndFeelKind { lfFlat, lfStandard, lfUltraFlat, lfOffice11 };

class TcxLookAndFeelController : public rtl::TComponent {
 public:
  using TComponent::TComponent;
  const char* ClassName() const noexcept override { return "TcxLookAndFeelController"; }
  TcxLookAndFeelKind Kind = TcxLookAndFeelKind::lfStandard;
  bool NativeStyle = false;
  bool SetProperty(std::string_view name, const rtl::PropertyValue& value) override;
};

struct TcxStyleValues {
  bool color = false, font = false, textColor = false, bitmap = false;
};

class TcxStyle : public rtl::TComponent {
 public:
  using TComponent::TComponent;
  ~TcxStyle() override;
  const char* ClassName() const noexcept override { return "TcxStyle"; }
  TcxStyleValues AssignedValues;
  std::int32_t Color = 0;
  std::int32_t TextColor = 0;
  bool SetProperty(std::string_view name, const rtl::PropertyValue& value) override;

 private:
  friend class TcxStyleRepository;
  class TcxStyleRepository* repository_ = nullptr;
};

// Lists its styles; the styles themselves belong to the form, and a style
// destroyed first leaves the list.
class TcxStyleRepository : public rtl::TComponent {
 public:
  using TComponent::TComponent;
  ~TcxStyleRepository() override;
  const char* ClassName() const noexcept override { return "TcxStyleRepository"; }
  std::size_t Count() const noexcept { return styles_.size(); }
  TcxStyle* Items(std::size_t index) const { return styles_.at(index); }
  bool AdoptChild(rtl::TComponent* child) override;
  void Remove(TcxStyle* style) noexcept;

 private:
  std::vector<TcxStyle*> styles_;
};

}  // namespace suite
