// TField: one column of a dataset, read through the dataset's current row.
// A field is owned by its dataset and lives until the dataset's fields are
// replaced (new data) or the dataset is destroyed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/db/FieldTypes.h"

namespace rtl {

class TDataSet;

class TField {
 public:
  TField(const TDataSet& dataSet, std::size_t index, FieldDef def);
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  const AnsiString& FieldName() const noexcept { return def_.name; }
  TFieldType DataType() const noexcept { return def_.type; }
  std::size_t Index() const noexcept { return index_; }
  const TDataSet& DataSet() const noexcept { return *dataSet_; }

  // The current row's value; Null when the row has none, or when there is no
  // current row (closed or empty dataset).
  const Variant& Value() const noexcept;
  bool IsNull() const noexcept { return Value().IsNull(); }

  // Empty text for Null; numbers in decimal, Booleans as True/False.
  AnsiString AsString() const;
  // 0 for Null, 1/0 for a Boolean. Text is read as a decimal integer and a
  // float rounded to the nearest (halves to even); raises EConvertError when
  // there is no such 32-bit integer.
  std::int32_t AsInteger() const;

 private:
  const TDataSet* dataSet_;
  std::size_t index_;
  FieldDef def_;
};

}  // namespace rtl
