#include "host/frontends/KeyboardInput.h"

#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace host {
namespace {

// The keys the form turns into characters of its own (Enter, Esc, Tab,
// Backspace, Space) and those characters.
char16_t CharOfKey(rtl::Word key) {
  switch (key) {
    case rtl::VK_RETURN: return u'\r';
    case rtl::VK_ESCAPE: return u'\x1b';
    case rtl::VK_TAB: return u'\t';
    case rtl::VK_BACK: return u'\b';
    case rtl::VK_SPACE: return u' ';
    default: return 0;
  }
}

rtl::Word KeyOfChar(char16_t c) {
  switch (c) {
    case u'\r': return rtl::VK_RETURN;
    case u'\x1b': return rtl::VK_ESCAPE;
    case u'\t': return rtl::VK_TAB;
    case u'\b': return rtl::VK_BACK;
    default: return 0;
  }
}

KeyboardInput::Result KeyEvent(rtl::Word key, rtl::TShiftState shift) {
  KeyboardInput::Result r{KeyboardInput::Action::Deliver, {}};
  r.event.kind = rtl::InputEvent::Kind::Key;
  r.event.key = key;
  r.event.shift = shift;
  return r;
}

bool IsAlphanumeric(rtl::Word key) { return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'); }

}  // namespace

KeyboardInput::Result KeyboardInput::KeyDown(rtl::Word key, rtl::TShiftState shift, bool system) {
  highSurrogate_ = 0;
  if (system) {
    pendingChar_ = 0;
    // Alt with a letter or digit is an accelerator; Alt+F4, Alt+Space and
    // the menu keys stay the window system's.
    if (!shift.alt || !IsAlphanumeric(key)) return {Action::Default, {}};
    pendingSystem_ = true;
    return KeyEvent(key, shift);
  }
  pendingSystem_ = false;
  pendingChar_ = shift.ctrl || shift.alt ? 0 : CharOfKey(key);
  return KeyEvent(key, shift);
}

KeyboardInput::Result KeyboardInput::Char(char16_t unit, bool system) {
  if (system) {
    const bool handled = pendingSystem_;
    pendingSystem_ = false;
    return {handled ? Action::Swallow : Action::Default, {}};
  }
  if (pendingChar_ != 0 && unit == pendingChar_) {
    pendingChar_ = 0;
    return {Action::Swallow, {}};
  }
  pendingChar_ = 0;
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    highSurrogate_ = unit;
    return {Action::Swallow, {}};
  }
  std::u16string text;
  if (unit >= 0xDC00 && unit <= 0xDFFF) {
    if (highSurrogate_ == 0) return {Action::Refuse, {}};
    text = {highSurrogate_, unit};
  } else {
    // A key's character sent on its own (no key went down first) is that key.
    if (const rtl::Word key = KeyOfChar(unit)) return KeyEvent(key, {});
    text = {unit};
  }
  highSurrogate_ = 0;
  Result r{Action::Deliver, {}};
  r.event.kind = rtl::InputEvent::Kind::Text;
  try {
    r.event.text = rtl::WideToGbk(text);
  } catch (const rtl::EConvertError&) {
    return {Action::Refuse, {}};
  }
  return r;
}

}  // namespace host
