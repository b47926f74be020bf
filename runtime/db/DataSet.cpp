// TDataSet: the cursor over the visible rows, filtering and Locate.
#include "runtime/db/DataSet.h"

#include "runtime/except/Exceptions.h"

namespace rtl {

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() = default;

void TDataSet::SetActive(bool active) {
  if (active) {
    Open();
  } else {
    Close();
  }
}

void TDataSet::Open() {
  if (active_) return;
  if (!hasContent_) throw EDatabaseError("Missing data provider or data packet");
  active_ = true;
  ApplyFilter();
}

void TDataSet::Close() {
  active_ = false;
  visible_.clear();
  position_ = 0;
  eof_ = bof_ = true;
}

TField* TDataSet::Fields(std::size_t index) const {
  if (index >= fields_.size()) {
    throw EDatabaseError("Field index " + IntToStr(static_cast<std::int64_t>(index)) + " out of range");
  }
  return fields_[index].get();
}

TField* TDataSet::FieldByName(std::string_view name) const {
  TField* field = FindField(name);
  if (field == nullptr) throw EDatabaseError("Field '" + AnsiString(name) + "' not found");
  return field;
}

TField* TDataSet::FindField(std::string_view name) const noexcept {
  const auto index = FindFieldIndex(content_.fields, name);
  return index ? fields_[*index].get() : nullptr;
}

void TDataSet::CheckActive() const {
  if (!active_) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::First() {
  CheckActive();
  position_ = 0;
  bof_ = true;
  eof_ = visible_.empty();
}

void TDataSet::Last() {
  CheckActive();
  position_ = visible_.empty() ? 0 : visible_.size() - 1;
  eof_ = true;
  bof_ = visible_.empty();
}

void TDataSet::Next() {
  CheckActive();
  if (eof_) return;
  bof_ = false;
  if (position_ + 1 < visible_.size()) {
    ++position_;
  } else {
    eof_ = true;
  }
}

void TDataSet::Prior() {
  CheckActive();
  if (bof_) return;
  eof_ = false;
  if (position_ > 0) {
    --position_;
  } else {
    bof_ = true;
  }
}

const Variant& TDataSet::CurrentValue(std::size_t fieldIndex) const noexcept {
  static const Variant null = Variant::Null();
  if (!active_ || visible_.empty()) return null;
  const Row& row = content_.rows[visible_[position_]];
  return fieldIndex < row.size() ? row[fieldIndex] : null;
}

FilterExpression TDataSet::PrepareFilter(const AnsiString& text) const {
  FilterExpression expression = FilterExpression::Parse(text);
  if (hasContent_) expression.Bind(content_.fields);
  return expression;
}

void TDataSet::SetFilter(const AnsiString& filter) {
  if (!filtered_) {
    filter_ = filter;
    return;
  }
  filterExpression_ = PrepareFilter(filter);
  filter_ = filter;
  if (active_) ApplyFilter();
}

void TDataSet::SetFiltered(bool filtered) {
  if (filtered == filtered_) return;
  if (filtered) {
    filterExpression_ = PrepareFilter(filter_);
  } else {
    filterExpression_.reset();
  }
  filtered_ = filtered;
  if (active_) ApplyFilter();
}

void TDataSet::ApplyFilter() {
  visible_.clear();
  for (std::size_t i = 0; i < content_.rows.size(); ++i) {
    if (!filterExpression_ || filterExpression_->Matches(content_.rows[i])) visible_.push_back(i);
  }
  First();
}

void TDataSet::SetContent(DataPacket content) {
  NormalizeDataPacket(content);
  std::optional<FilterExpression> expression = filterExpression_;
  if (expression) expression->Bind(content.fields);
  std::vector<std::unique_ptr<TField>> fields;
  fields.reserve(content.fields.size());
  for (std::size_t i = 0; i < content.fields.size(); ++i) {
    fields.push_back(std::make_unique<TField>(*this, i, content.fields[i]));
  }

  content_ = std::move(content);
  fields_ = std::move(fields);
  filterExpression_ = std::move(expression);
  hasContent_ = true;
  active_ = true;
  ApplyFilter();
}

bool TDataSet::Locate(std::string_view keyField, const Variant& keyValue, TLocateOptions options) {
  CheckActive();
  const TField* field = FieldByName(keyField);
  const Variant& key = keyValue.Target();
  if (key.IsNull() || key.IsEmpty()) return false;
  AnsiString keyText;
  try {
    keyText = key.AsString();
  } catch (const Exception& e) {
    throw EDatabaseError("Invalid key for field '" + field->FieldName() + "': " + e.Message());
  }
  for (std::size_t i = 0; i < visible_.size(); ++i) {
    if (KeyMatches(content_.rows[visible_[i]][field->Index()], field->DataType(), keyText, options)) {
      position_ = i;
      eof_ = bof_ = false;
      return true;
    }
  }
  return false;
}

}  // namespace rtl
