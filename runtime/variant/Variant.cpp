#include "runtime/variant/Variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace rtl {
namespace {

[[noreturn]] void RaiseCast(VarType from, const char* to) {
  throw EVariantError(AnsiString("Could not convert variant of type (") + Variant::TypeName(from) + ") into type (" +
                      to + ")");
}

[[noreturn]] void RaiseInvalidOperation() { throw EVariantError("Invalid variant operation"); }

AnsiString FormatDouble(double value) {
  char buffer[32];
  // Fifteen significant digits, without a trailing fraction of zeros.
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return buffer;
}

bool ParseNumber(std::string_view text, double& out) {
  AnsiString trimmed = Trim(text);
  if (trimmed.empty()) return false;
  const char* first = trimmed.data();
  if (*first == '+') ++first;
  auto [end, error] = std::from_chars(first, trimmed.data() + trimmed.size(), out);
  // "nan" and "inf" are words, not numbers.
  return error == std::errc() && end == trimmed.data() + trimmed.size() && std::isfinite(out);
}

// The number a conversion to type `to` starts from; a failure names `to`.
double NumberFor(const Variant& v, const char* to) {
  try {
    return v.AsDouble();
  } catch (const EVariantError&) {
    RaiseCast(v.Target().Type(), to);
  }
}

bool IsNumeric(VarType t) { return t == VarType::Integer || t == VarType::Int64 || t == VarType::Double; }

// x and y are the exact values of a and b when neither is a Double.
Variant AddNumbers(const Variant& a, const Variant& b, std::int64_t x, std::int64_t y) {
  const VarType ta = a.Type();
  const VarType tb = b.Type();
  if (ta == VarType::Double || tb == VarType::Double) return Variant(a.AsDouble() + b.AsDouble());
  std::int64_t sum = 0;
  if (__builtin_add_overflow(x, y, &sum)) throw EVariantError("Variant overflow");
  if (sum >= std::numeric_limits<std::int32_t>::min() && sum <= std::numeric_limits<std::int32_t>::max() &&
      ta != VarType::Int64 && tb != VarType::Int64) {
    return Variant(static_cast<std::int32_t>(sum));
  }
  return Variant(sum);
}

}  // namespace

Variant Variant::Null() {
  Variant v;
  v.value_ = NullTag{};
  return v;
}

Variant Variant::Ref(Variant* target) {
  Variant v;
  v.value_ = target;
  return v;
}

VarType Variant::Type() const noexcept { return static_cast<VarType>(value_.index()); }

bool Variant::IsText() const noexcept {
  const VarType t = Target().Type();
  return t == VarType::String || t == VarType::OleStr;
}

const Variant& Variant::Target() const noexcept {
  const Variant* v = this;
  while (auto* const* ref = std::get_if<Variant*>(&v->value_)) v = *ref;
  return *v;
}

Variant& Variant::Target() noexcept {
  Variant* v = this;
  while (auto* const* ref = std::get_if<Variant*>(&v->value_)) v = *ref;
  return *v;
}

const char* Variant::TypeName(VarType type) noexcept {
  switch (type) {
    case VarType::Empty: return "Empty";
    case VarType::Null: return "Null";
    case VarType::Integer: return "Integer";
    case VarType::Int64: return "Int64";
    case VarType::Double: return "Double";
    case VarType::Boolean: return "Boolean";
    case VarType::String: return "String";
    case VarType::OleStr: return "OleStr";
    case VarType::Dispatch: return "Dispatch";
    case VarType::Bytes: return "Array Byte";
    case VarType::ByRef: return "ByRef";
  }
  return "Unknown";
}

AnsiString Variant::AsString() const {
  const Variant& v = Target();
  switch (v.Type()) {
    case VarType::Empty: return {};
    case VarType::Integer: return IntToStr(std::get<std::int32_t>(v.value_));
    case VarType::Int64: return IntToStr(std::get<std::int64_t>(v.value_));
    case VarType::Double: return FormatDouble(std::get<double>(v.value_));
    case VarType::Boolean: return std::get<bool>(v.value_) ? "True" : "False";
    case VarType::String: return std::get<AnsiString>(v.value_);
    case VarType::OleStr: return WideToGbk(std::get<WideString>(v.value_));
    default: RaiseCast(v.Type(), "String");
  }
}

WideString Variant::AsWideString() const {
  const Variant& v = Target();
  if (v.Type() == VarType::OleStr) return std::get<WideString>(v.value_);
  return GbkToWide(v.AsString());
}

double Variant::AsDouble() const {
  const Variant& v = Target();
  switch (v.Type()) {
    case VarType::Empty: return 0;
    case VarType::Integer: return std::get<std::int32_t>(v.value_);
    case VarType::Int64: return static_cast<double>(std::get<std::int64_t>(v.value_));
    case VarType::Double: return std::get<double>(v.value_);
    case VarType::Boolean: return std::get<bool>(v.value_) ? -1 : 0;
    case VarType::String:
    case VarType::OleStr: {
      double result = 0;
      if (!ParseNumber(v.AsString(), result)) RaiseCast(v.Type(), "Double");
      return result;
    }
    default: RaiseCast(v.Type(), "Double");
  }
}

std::int32_t Variant::AsInteger() const {
  const Variant& v = Target();
  if (v.Type() == VarType::Integer) return std::get<std::int32_t>(v.value_);
  const double d = NumberFor(v, "Integer");
  const double rounded = std::nearbyint(d);
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max())) {
    RaiseCast(v.Type(), "Integer");
  }
  return static_cast<std::int32_t>(rounded);
}

std::int64_t Variant::AsInt64() const {
  const Variant& v = Target();
  if (v.Type() == VarType::Int64) return std::get<std::int64_t>(v.value_);
  return v.AsInteger();
}

bool Variant::AsBoolean() const {
  const Variant& v = Target();
  if (v.Type() == VarType::Boolean) return std::get<bool>(v.value_);
  if (v.IsText()) {
    const AnsiString text = UpperCase(Trim(v.AsString()));
    if (text == "TRUE") return true;
    if (text == "FALSE") return false;
  }
  return NumberFor(v, "Boolean") != 0;
}

DispatchPtr Variant::AsDispatch() const {
  const Variant& v = Target();
  if (v.Type() == VarType::Dispatch) return std::get<DispatchPtr>(v.value_);
  if (v.Type() == VarType::Empty) return {};
  RaiseCast(v.Type(), "Dispatch");
}

const ByteArray& Variant::AsByteArray() const {
  const Variant& v = Target();
  if (v.Type() != VarType::Bytes) RaiseCast(v.Type(), "Array Byte");
  return std::get<ByteArray>(v.value_);
}

Variant operator+(const Variant& left, const Variant& right) {
  const Variant& a = left.Target();
  const Variant& b = right.Target();
  const VarType ta = a.Type();
  const VarType tb = b.Type();
  if (ta == VarType::Null || tb == VarType::Null) return Variant::Null();
  if (ta == VarType::Empty) return b;
  if (tb == VarType::Empty) return a;
  if (a.IsText() && b.IsText()) {
    if (ta == VarType::OleStr || tb == VarType::OleStr) return Variant(a.AsWideString() + b.AsWideString());
    return Variant(a.AsString() + b.AsString());
  }
  const bool aNumberLike = IsNumeric(ta) || a.IsText();
  const bool bNumberLike = IsNumeric(tb) || b.IsText();
  if (!aNumberLike || !bNumberLike) RaiseInvalidOperation();
  // A text added to a number is read as a number, as the toolkit does.
  if (a.IsText()) return AddNumbers(Variant(a.AsDouble()), b, 0, 0);
  if (b.IsText()) return AddNumbers(a, Variant(b.AsDouble()), 0, 0);
  // Whole numbers add exactly, not through a Double.
  const auto whole = [](const Variant& v) -> std::int64_t {
    if (const auto* i = std::get_if<std::int32_t>(&v.value_)) return *i;
    if (const auto* l = std::get_if<std::int64_t>(&v.value_)) return *l;
    return 0;
  };
  return AddNumbers(a, b, whole(a), whole(b));
}

}  // namespace rtl
