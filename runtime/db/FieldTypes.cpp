// Field types, storage forms of values, field names and decimal text.
#include "runtime/db/FieldTypes.h"

#include <charconv>
#include <limits>
#include <set>

#include "runtime/except/Exceptions.h"

namespace rtl {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* FieldTypeName(TFieldType type) noexcept {
  switch (type) {
    case ftString: return "String";
    case ftInteger: return "Integer";
    case ftLargeint: return "Largeint";
    case ftFloat: return "Float";
    case ftBoolean: return "Boolean";
  }
  return "Unknown";
}

[[noreturn]] void RaiseMismatch(const FieldDef& field, VarType actual) {
  throw EDatabaseError("Type mismatch for field '" + field.name + "', expecting: " + FieldTypeName(field.type) +
                       " actual: " + Variant::TypeName(actual));
}

}  // namespace

std::int64_t StoredInt64(const Variant& value) {
  if (value.Type() != VarType::Int64) return value.AsInteger();
  // Through the decimal text: the variant offers no exact 64-bit accessor.
  const AnsiString text = value.AsString();
  std::int64_t result = 0;
  std::from_chars(text.data(), text.data() + text.size(), result);
  return result;
}

Variant ToFieldValue(const FieldDef& field, const Variant& value) {
  const Variant& v = value.Target();
  const VarType t = v.Type();
  if (t == VarType::Null || t == VarType::Empty) return Variant::Null();
  switch (field.type) {
    case ftString:
      if (t == VarType::String) return v;
      if (t == VarType::OleStr) {
        try {
          return Variant(v.AsString());
        } catch (const EConvertError& e) {
          throw EDatabaseError("Field '" + field.name + "': " + e.Message());
        }
      }
      break;
    case ftInteger:
      if (t == VarType::Integer) return v;
      if (t == VarType::Int64) {
        const std::int64_t wide = StoredInt64(v);
        if (wide >= std::numeric_limits<std::int32_t>::min() && wide <= std::numeric_limits<std::int32_t>::max()) {
          return Variant(static_cast<std::int32_t>(wide));
        }
        throw EDatabaseError("Value " + IntToStr(wide) + " is out of range for field '" + field.name + "'");
      }
      break;
    case ftLargeint:
      if (t == VarType::Integer || t == VarType::Int64) return Variant(StoredInt64(v));
      break;
    case ftFloat:
      if (t == VarType::Double) return v;
      if (t == VarType::Integer) return Variant(static_cast<double>(v.AsInteger()));
      if (t == VarType::Int64) return Variant(static_cast<double>(StoredInt64(v)));
      break;
    case ftBoolean:
      if (t == VarType::Boolean) return v;
      break;
  }
  RaiseMismatch(field, t);
}

void CheckFieldDefs(const std::vector<FieldDef>& fields) {
  std::set<AnsiString> seen;
  for (const FieldDef& field : fields) {
    if (field.name.empty()) throw EDatabaseError("Field name missing");
    if (field.type < ftString || field.type > ftBoolean) {
      throw EDatabaseError("Unknown type of field '" + field.name + "'");
    }
    if (!seen.insert(UpperCase(field.name)).second) throw EDatabaseError("Duplicate field name '" + field.name + "'");
  }
}

std::optional<std::size_t> FindFieldIndex(const std::vector<FieldDef>& fields, std::string_view name) noexcept {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (SameText(fields[i].name, name)) return i;
  }
  return std::nullopt;
}

std::optional<Decimal> ParseDecimal(std::string_view text) noexcept {
  std::string_view body = text;
  bool negative = false;
  if (!body.empty() && (body.front() == '+' || body.front() == '-')) {
    negative = body.front() == '-';
    body.remove_prefix(1);
  }
  std::size_t digits = 0;
  std::size_t dots = 0;
  for (char c : body) {
    if (IsDigit(c)) {
      ++digits;
    } else if (c == '.') {
      ++dots;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || dots > 1) return std::nullopt;

  // The sign is applied by hand: from_chars takes '-' but not '+', and the
  // magnitude of the most negative integer does not fit the signed type.
  const char* first = body.data();
  const char* last = first + body.size();
  Decimal result;
  if (dots == 0) {
    std::uint64_t magnitude = 0;
    auto [end, error] = std::from_chars(first, last, magnitude);
    constexpr std::uint64_t kMaxPositive = std::numeric_limits<std::int64_t>::max();
    if (error == std::errc() && end == last && magnitude <= kMaxPositive + (negative ? 1 : 0)) {
      result.integer = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
      result.real = static_cast<double>(result.integer);
      return result;
    }
  }
  result.isInteger = false;
  auto [end, error] = std::from_chars(first, last, result.real);
  if (error != std::errc() || end != last) return std::nullopt;
  if (negative) result.real = -result.real;
  return result;
}

std::optional<Decimal> NumberOf(const Variant& stored) {
  Decimal d;
  switch (stored.Type()) {
    case VarType::Integer:
    case VarType::Int64:
      d.integer = StoredInt64(stored);
      d.real = static_cast<double>(d.integer);
      return d;
    case VarType::Boolean:
      d.integer = stored.AsBoolean() ? 1 : 0;
      d.real = static_cast<double>(d.integer);
      return d;
    case VarType::Double:
      d.isInteger = false;
      d.real = stored.AsDouble();
      return d;
    case VarType::String: return ParseDecimal(stored.AsString());
    default: return std::nullopt;
  }
}

std::partial_ordering CompareDecimals(const Decimal& a, const Decimal& b) noexcept {
  if (a.isInteger && b.isInteger) return a.integer <=> b.integer;
  return a.real <=> b.real;
}

}  // namespace rtl
