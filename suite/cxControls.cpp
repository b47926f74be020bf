#include "suite/cxControls.h"

#include "runtime/components/Classes.h"

namespace suite {

bool TcxTabControl::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  if (name == "Style") {
    Style = value.AsInt32();
    return true;
  }
  return Look.Accept(name, value, {"HideTabs", "LookAndFeel.Kind", "ClientRectBottom", "ClientRectLeft",
                                   "ClientRectRight", "ClientRectTop"}) ||
         TWinControl::SetProperty(name, value);
}

bool TcxGroupBox::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  return Look.Accept(name, value, {"PanelStyle.Active", "Style.BorderStyle", "Style.LookAndFeel.Kind"}) ||
         TWinControl::SetProperty(name, value);
}

bool TcxButton::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  if (name == "Glyph.Data") {
    Glyph = value.AsBinary();
    return true;
  }
  return TButton::SetProperty(name, value);
}

bool TcxLabel::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  return Look.Accept(name, value, {"Style.TextColor", "Properties.Alignment.Horz"}) ||
         TLabel::SetProperty(name, value);
}

void TcxMaskEdit::SetEchoMode(TcxEditEchoMode mode) noexcept {
  echoMode_ = mode;
  PasswordChar = mode == TcxEditEchoMode::eemPassword ? '*' : '\0';
}

bool TcxMaskEdit::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  if (name == "Properties.EchoMode") {
    SetEchoMode(static_cast<TcxEditEchoMode>(value.AsEnum({"eemNormal", "eemPassword"})));
    return true;
  }
  return Look.Accept(name, value, {"Style.LookAndFeel.Kind"}) || TEdit::SetProperty(name, value);
}

bool TcxImage::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  if (name == "Picture.Data") {
    Picture = value.AsBinary();
    return true;
  }
  return Look.Accept(name, value,
                     {"Properties.GraphicClassName", "Properties.ReadOnly", "Properties.ShowFocusRect",
                      "Properties.Stretch", "Style.BorderStyle", "StyleDisabled.BorderColor",
                      "StyleFocused.BorderStyle"}) ||
         TWinControl::SetProperty(name, value);
}

namespace {

// The suite's controls are known to form descriptions while the suite is loaded.
const rtl::ClassRegistration kTabControl = rtl::ClassRegistration::Of<TcxTabControl>("TcxTabControl");
const rtl::ClassRegistration kGroupBox = rtl::ClassRegistration::Of<TcxGroupBox>("TcxGroupBox");
const rtl::ClassRegistration kButton = rtl::ClassRegistration::Of<TcxButton>("TcxButton");
const rtl::ClassRegistration kLabel = rtl::ClassRegistration::Of<TcxLabel>("TcxLabel");
const rtl::ClassRegistration kMaskEdit = rtl::ClassRegistration::Of<TcxMaskEdit>("TcxMaskEdit");
const rtl::ClassRegistration kImage = rtl::ClassRegistration::Of<TcxImage>("TcxImage");

}  // namespace

}  // namespace suite
