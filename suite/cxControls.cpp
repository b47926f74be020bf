#include "suite/cxControls.h"

#include "runtime/components/Classes.h"

namespace suite {

bool TcxTabControl::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  if (name == "Style") {
    Style = value.AsInt32();
    return true;
  }
  return IsDecoration(name, {"HideTabs", "LookAndFeel.Kind", "ClientRectBottom", "ClientRectLeft", "ClientRectRight",
                             "ClientRectTop"}) ||
         TWinControl::SetProperty(name, value);
}

bool TcxGroupBox::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  return IsDecoration(name, {"PanelStyle.Active", "Style.BorderStyle", "Style.LookAndFeel.Kind"}) ||
         TWinControl::SetProperty(name, value);
}

bool TcxButton::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  if (name == "Glyph.Data") {
    Glyph.assign(value.AsBinary().begin(), value.AsBinary().end());
    return true;
  }
  return TButton::SetProperty(name, value);
}

bool TcxLabel::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  return IsDecoration(name, {"Style.TextColor", "Properties.Alignment.Horz"}) || TLabel::SetProperty(name, value);
}

bool TcxMaskEdit::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  if (name == "Properties.EchoMode") {
    // Password echo shows every character as the password character.
    PasswordChar = value.AsEnum({"eemNormal", "eemPassword"}) == 1 ? '*' : '\0';
    return true;
  }
  return IsDecoration(name, {"Style.LookAndFeel.Kind"}) || TEdit::SetProperty(name, value);
}

bool TcxImage::SetProperty(std::string_view name, const rtl::PropertyValue& value) {
  if (name == "Picture.Data") {
    Picture.assign(value.AsBinary().begin(), value.AsBinary().end());
    return true;
  }
  return IsDecoration(name, {"Properties.GraphicClassName", "Properties.ReadOnly", "Properties.ShowFocusRect",
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
