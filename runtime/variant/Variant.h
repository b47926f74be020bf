// Variant: a value of one of the automation types (an automation object
// among them), with the conversions and the addition of the toolkit's
// variants. Calls by member name are the dispatch layer's (dispatch/LateBinding.h).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <variant>
#include <vector>

#include "runtime/text/Text.h"
#include "runtime/variant/Dispatch.h"

namespace rtl {

using ByteArray = std::vector<std::uint8_t>;

enum class VarType { Empty, Null, Integer, Int64, Double, Boolean, String, OleStr, Dispatch, Bytes, ByRef };

class Variant {
 public:
  Variant() = default;
  Variant(std::int32_t v) : value_(v) {}
  Variant(std::int64_t v) : value_(v) {}
  Variant(double v) : value_(v) {}
  Variant(bool v) : value_(v) {}
  Variant(AnsiString v) : value_(std::move(v)) {}
  Variant(const char* v) : value_(AnsiString(v)) {}
  Variant(WideString v) : value_(std::move(v)) {}
  // Without it a u"" literal would become a Boolean through the pointer.
  Variant(const char16_t* v) : value_(WideString(v)) {}
  Variant(DispatchPtr v) : value_(std::move(v)) {}
  Variant(ByteArray v) : value_(std::move(v)) {}

  static Variant Null();
  // A by-reference argument: the callee reads and may write *target.
  static Variant Ref(Variant* target);

  VarType Type() const noexcept;
  bool IsEmpty() const noexcept { return Type() == VarType::Empty; }
  bool IsNull() const noexcept { return Type() == VarType::Null; }
  bool IsText() const noexcept;
  // The variant a by-reference variant refers to, or this one.
  const Variant& Target() const noexcept;
  Variant& Target() noexcept;

  // Strict conversions; each raises EVariantError when the value has no such
  // form (Null has no text, text that is not a number has no number).
  AnsiString AsString() const;
  WideString AsWideString() const;
  std::int32_t AsInteger() const;
  std::int64_t AsInt64() const;
  double AsDouble() const;
  bool AsBoolean() const;
  DispatchPtr AsDispatch() const;
  const ByteArray& AsByteArray() const;

  // Addition of the toolkit's variants: two texts concatenate (as wide text
  // when either side is wide), numbers add, Null propagates, Empty is neutral.
  friend Variant operator+(const Variant& left, const Variant& right);

  static const char* TypeName(VarType type) noexcept;

 private:
  struct NullTag {
    bool operator==(const NullTag&) const = default;
  };
  std::variant<std::monostate, NullTag, std::int32_t, std::int64_t, double, bool, AnsiString, WideString, DispatchPtr,
               ByteArray, Variant*>
      value_;
};

}  // namespace rtl
