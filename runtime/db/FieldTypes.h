// The shape of a table and the rules for its values: field types, field
// definitions, rows of variants, the storage form a value takes in a field of
// each type, and the decimal-number form shared by filters and Locate.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "runtime/text/Text.h"
#include "runtime/variant/Variant.h"

namespace rtl {

// The values are the type codes of the data packet format.
enum TFieldType : std::uint8_t { ftString = 1, ftInteger = 2, ftLargeint = 3, ftFloat = 4, ftBoolean = 5 };

struct FieldDef {
  AnsiString name;  // GBK; unique within a table without regard to ASCII case
  TFieldType type = ftString;
};

// One value per field, in field order; Variant::Null() where the row has none.
using Row = std::vector<Variant>;

// The form value takes when stored in field: Null (Empty counts as Null), or
// String, Integer, Int64, Double or Boolean as the field's type asks. Integer
// values widen to ftLargeint and ftFloat fields, an Int64 narrows to ftInteger
// when it fits; wide text becomes GBK. Anything else raises EDatabaseError.
Variant ToFieldValue(const FieldDef& field, const Variant& value);

// The exact value of an Integer or Int64 variant.
std::int64_t StoredInt64(const Variant& value);

// Raises EDatabaseError for a type outside TFieldType, an empty name, or two
// names equal without regard to ASCII case.
void CheckFieldDefs(const std::vector<FieldDef>& fields);

// Index of the field named name (ASCII case ignored), or nullopt.
std::optional<std::size_t> FindFieldIndex(const std::vector<FieldDef>& fields, std::string_view name) noexcept;

// A number read from text: an exact integer when it has no fraction and fits
// 64 bits, otherwise a double.
struct Decimal {
  bool isInteger = true;
  std::int64_t integer = 0;
  double real = 0;
};

// Reads [+|-] digits [. [digits]] or [+|-] . digits: no blanks, no exponent,
// leading zeros allowed, so "05" reads as 5. nullopt for anything else.
std::optional<Decimal> ParseDecimal(std::string_view text) noexcept;

// The number a stored value stands for: integers exactly, doubles as they
// are, Boolean as 1/0, text through ParseDecimal. nullopt for Null or text
// that is not a number.
std::optional<Decimal> NumberOf(const Variant& stored);

// Integers compare exactly, anything else as doubles (a NaN is unordered).
std::partial_ordering CompareDecimals(const Decimal& a, const Decimal& b) noexcept;

}  // namespace rtl
