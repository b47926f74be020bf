// A property value read from a form description: a number, a text, an
// identifier (an enumeration value, a colour or a Boolean), a set of
// identifiers, or binary data. Binary data is not copied: the value refers
// to the description's bytes, which live while the form is being built, and
// a component that keeps them copies them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/text/Text.h"

namespace rtl {

class PropertyValue {
 public:
  enum class Kind { Integer, Float, Text, Identifier, Set, Binary };

  static PropertyValue Integer(std::int64_t v);
  // A number with a fraction: read and checked, but no property takes one.
  static PropertyValue Float();
  static PropertyValue Text(AnsiString v);
  static PropertyValue Identifier(AnsiString v);
  static PropertyValue Set(std::vector<AnsiString> v);
  static PropertyValue Binary(std::span<const std::uint8_t> v);

  Kind GetKind() const noexcept { return kind_; }
  // Each accessor raises EReadError ("Invalid property value") for a value of another kind.
  std::int64_t AsInt64() const;
  std::int32_t AsInt32() const;
  const AnsiString& AsText() const;
  const AnsiString& AsIdentifier() const;
  bool AsBoolean() const;  // the identifiers True and False
  const std::vector<AnsiString>& AsSet() const;
  std::span<const std::uint8_t> AsBinary() const;
  // An enumeration value: the index of the identifier in names.
  std::size_t AsEnum(std::initializer_list<std::string_view> names) const;
  // A colour: a number, or one of the named colours (clBtnFace, clRed, ...).
  std::int32_t AsColor() const;
  // A set of flags: each identifier of the set turns on its flag, every
  // other flag is turned off; an identifier not among them is invalid.
  struct Flag {
    std::string_view name;
    bool* flag;
  };
  void AsFlags(std::initializer_list<Flag> flags) const;

 private:
  Kind kind_ = Kind::Integer;
  std::int64_t integer_ = 0;
  AnsiString text_;
  std::vector<AnsiString> set_;
  std::span<const std::uint8_t> binary_;
};

}  // namespace rtl
