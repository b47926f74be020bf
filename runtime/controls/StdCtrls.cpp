#include "runtime/controls/StdCtrls.h"

#include "runtime/controls/Accelerator.h"
#include "runtime/text/Gbk.h"

namespace rtl {

TEdit::TEdit(TComponent* owner) : TWinControl(owner) { TabStop = true; }

void TEdit::KeyPress(char& key) {
  // The handler may destroy the edit with its form: then nothing of it is touched.
  const std::shared_ptr<const bool> alive = AliveFlag();
  TWinControl::KeyPress(key);
  if (!*alive || ReadOnly || key == '\0') return;
  if (key == '\b') {
    TruncateText(Text().size() - GbkLastCharLength(Text()));
  } else if (static_cast<unsigned char>(key) >= 32 && key != 127) {
    Append(std::string_view(&key, 1));
  } else if (key != '\r' && key != '\x1b') {
    // A control character never joins the text, and the person is told:
    // what the edit holds is what was typed, or the person heard otherwise.
    RefuseInput();
  }
}

void TEdit::RefuseInput() const noexcept {
  // The form tells the person; an edit on no form takes no input anyway.
  if (IFormSite* form = FormSite()) form->Beep();
}

void TEdit::InsertText(const AnsiString& text) {
  if (!ReadOnly) Append(text);
}

void TEdit::Append(std::string_view text) {
  const std::size_t limit = MaxLength > 0 ? static_cast<std::size_t>(MaxLength) : kDefaultMaxLength;
  if (text.size() > limit - std::min(limit, Text().size())) {
    RefuseInput();
    return;
  }
  AppendText(text);
}

AnsiString TEdit::DisplayText() const {
  if (PasswordChar == '\0') return Text();
  // One password character per character, a double-byte character counting once.
  AnsiString shown;
  const AnsiString& text = Text();
  for (std::size_t pos = 0; pos < text.size();) {
    pos += std::max<std::size_t>(GbkCharLength(text, pos), 1);
    shown += PasswordChar;
  }
  return shown;
}

bool TEdit::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "PasswordChar") {
    const AnsiString& text = value.AsText();
    if (text.size() > 1) throw EReadError("Invalid property value");
    PasswordChar = text.empty() ? '\0' : text[0];
  } else if (name == "MaxLength") {
    MaxLength = value.AsInt32();
  } else if (name == "ReadOnly") {
    ReadOnly = value.AsBoolean();
  } else {
    return TWinControl::SetProperty(name, value);
  }
  return true;
}

TButton::TButton(TComponent* owner) : TWinControl(owner) { TabStop = true; }

void TButton::Click() {
  if (!Enabled()) return;
  if (ModalResult != mrNone) {
    if (IFormSite* form = FormSite()) form->SetModalResult(ModalResult);
  }
  TWinControl::Click();
}

char TButton::Accelerator() const { return AcceleratorOf(Caption()); }

bool TButton::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "Cancel") Cancel = value.AsBoolean();
  else if (name == "Default") Default = value.AsBoolean();
  else if (name == "ModalResult") ModalResult = value.AsInt32();
  else return TWinControl::SetProperty(name, value);
  return true;
}

bool TBitBtn::SetProperty(std::string_view name, const PropertyValue& value) {
  if (name == "Glyph.Data") Glyph.assign(value.AsBinary().begin(), value.AsBinary().end());
  else return TButton::SetProperty(name, value);
  return true;
}

}  // namespace rtl
