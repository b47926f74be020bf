// TField: the current row's value of one column, and its conversions.
#include "runtime/db/Field.h"

#include <cmath>
#include <limits>

#include "runtime/db/DataSet.h"
#include "runtime/except/Exceptions.h"

namespace rtl {

TField::TField(const TDataSet& dataSet, std::size_t index, FieldDef def)
    : dataSet_(&dataSet), index_(index), def_(std::move(def)) {}

const Variant& TField::Value() const noexcept { return dataSet_->CurrentValue(index_); }

AnsiString TField::AsString() const {
  const Variant& value = Value();
  return value.IsNull() ? AnsiString() : value.AsString();
}

std::int32_t TField::AsInteger() const {
  const Variant& value = Value();
  switch (value.Type()) {
    case VarType::Null: return 0;
    case VarType::String: return StrToInt(value.AsString());
    case VarType::Boolean: return value.AsBoolean() ? 1 : 0;
    default: break;
  }
  const double number =
      value.Type() == VarType::Double ? std::nearbyint(value.AsDouble()) : static_cast<double>(StoredInt64(value));
  // Every 32-bit integer is exact in a double, so the range test is exact too.
  if (!(number >= std::numeric_limits<std::int32_t>::min() && number <= std::numeric_limits<std::int32_t>::max())) {
    throw EConvertError("Value of field '" + def_.name + "' is out of the Integer range");
  }
  return static_cast<std::int32_t>(number);
}

}  // namespace rtl
