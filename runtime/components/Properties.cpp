#include "runtime/components/Properties.h"

#include <algorithm>
#include <limits>

#include "runtime/except/Exceptions.h"

namespace rtl {
namespace {

[[noreturn]] void RaiseInvalid() { throw EReadError("Invalid property value"); }

struct NamedColor {
  std::string_view name;
  std::int32_t value;
};

// System colours are encoded with the high bit set, as the toolkit stores them.
constexpr NamedColor kColors[] = {
    {"clBlack", 0x000000},         {"clMaroon", 0x000080},
    {"clGreen", 0x008000},         {"clOlive", 0x008080},
    {"clNavy", 0x800000},          {"clPurple", 0x800080},
    {"clTeal", 0x808000},          {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},        {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},          {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},          {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},          {"clWhite", 0xFFFFFF},
    {"clNone", 0x1FFFFFFF},        {"clDefault", 0x20000000},
    {"clBtnFace", -0x7FFFFFF1},    {"clWindow", -0x7FFFFFFB},
    {"clWindowText", -0x7FFFFFF8}, {"clWindowFrame", -0x7FFFFFFA},
    {"clBtnText", -0x7FFFFFEE},    {"clHighlight", -0x7FFFFFF3},
};

}  // namespace

PropertyValue PropertyValue::Integer(std::int64_t v) {
  PropertyValue p;
  p.kind_ = Kind::Integer;
  p.integer_ = v;
  return p;
}

PropertyValue PropertyValue::Float() {
  PropertyValue p;
  p.kind_ = Kind::Float;
  return p;
}

PropertyValue PropertyValue::Text(AnsiString v) {
  PropertyValue p;
  p.kind_ = Kind::Text;
  p.text_ = std::move(v);
  return p;
}

PropertyValue PropertyValue::Identifier(AnsiString v) {
  PropertyValue p;
  p.kind_ = Kind::Identifier;
  p.text_ = std::move(v);
  return p;
}

PropertyValue PropertyValue::Set(std::vector<AnsiString> v) {
  PropertyValue p;
  p.kind_ = Kind::Set;
  p.set_ = std::move(v);
  return p;
}

PropertyValue PropertyValue::Binary(std::span<const std::uint8_t> v) {
  PropertyValue p;
  p.kind_ = Kind::Binary;
  p.binary_ = v;
  return p;
}

std::int64_t PropertyValue::AsInt64() const {
  if (kind_ != Kind::Integer) RaiseInvalid();
  return integer_;
}

std::int32_t PropertyValue::AsInt32() const {
  const std::int64_t v = AsInt64();
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) RaiseInvalid();
  return static_cast<std::int32_t>(v);
}

const AnsiString& PropertyValue::AsText() const {
  if (kind_ != Kind::Text) RaiseInvalid();
  return text_;
}

const AnsiString& PropertyValue::AsIdentifier() const {
  if (kind_ != Kind::Identifier) RaiseInvalid();
  return text_;
}

bool PropertyValue::AsBoolean() const {
  const AnsiString& id = AsIdentifier();
  if (SameText(id, "True")) return true;
  if (SameText(id, "False")) return false;
  RaiseInvalid();
}

const std::vector<AnsiString>& PropertyValue::AsSet() const {
  if (kind_ != Kind::Set) RaiseInvalid();
  return set_;
}

std::span<const std::uint8_t> PropertyValue::AsBinary() const {
  if (kind_ != Kind::Binary) RaiseInvalid();
  return binary_;
}

std::size_t PropertyValue::AsEnum(std::initializer_list<std::string_view> names) const {
  const AnsiString& id = AsIdentifier();
  std::size_t index = 0;
  for (std::string_view name : names) {
    if (SameText(name, id)) return index;
    ++index;
  }
  RaiseInvalid();
}

void PropertyValue::AsFlags(std::initializer_list<Flag> flags) const {
  const std::vector<AnsiString>& set = AsSet();
  for (const AnsiString& item : set) {
    if (std::none_of(flags.begin(), flags.end(), [&](const Flag& f) { return f.name == item; })) RaiseInvalid();
  }
  for (const Flag& f : flags) *f.flag = std::find(set.begin(), set.end(), f.name) != set.end();
}

std::int32_t PropertyValue::AsColor() const {
  if (kind_ == Kind::Integer) return AsInt32();
  const AnsiString& id = AsIdentifier();
  for (const NamedColor& c : kColors) {
    if (SameText(c.name, id)) return c.value;
  }
  RaiseInvalid();
}

}  // namespace rtl
