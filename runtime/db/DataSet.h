// TDataSet: a component presenting rows of a table through a cursor, with
// fields to read the current row, an optional filter that hides rows, and
// Locate to find a row by a key. This dataset keeps its rows in memory;
// descendants (TClientDataSet) give it content through SetContent.
//
// Closed, a dataset has no current row: Eof and Bof are true, RecordCount
// and RecNo are 0 and fields read Null; moving the cursor or Locate raises
// EDatabaseError. Closing keeps the content, so Open shows it again.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "runtime/components/Component.h"
#include "runtime/db/DataPacket.h"
#include "runtime/db/Field.h"
#include "runtime/db/FilterExpression.h"
#include "runtime/db/KeyMatch.h"

namespace rtl {

class TDataSet : public TComponent {
 public:
  explicit TDataSet(TComponent* owner);
  ~TDataSet() override;
  const char* ClassName() const noexcept override { return "TDataSet"; }

  bool Active() const noexcept { return active_; }
  void SetActive(bool active);
  // Raises EDatabaseError when the dataset has never been given content.
  void Open();
  void Close();

  std::size_t FieldCount() const noexcept { return fields_.size(); }
  // Raises EDatabaseError for an index out of range.
  TField* Fields(std::size_t index) const;
  // Raises EDatabaseError "Field 'name' not found"; names ignore ASCII case.
  TField* FieldByName(std::string_view name) const;
  TField* FindField(std::string_view name) const noexcept;

  // First sets Bof, Last sets Eof. Next on the last row sets Eof and Prior on
  // the first sets Bof, staying on that row.
  void First();
  void Next();
  void Prior();
  void Last();
  bool Eof() const noexcept { return eof_; }
  bool Bof() const noexcept { return bof_; }
  // Rows the filter lets through.
  std::size_t RecordCount() const noexcept { return visible_.size(); }
  // 1-based position of the current row among them; 0 when there is none.
  std::size_t RecNo() const noexcept { return visible_.empty() ? 0 : position_ + 1; }

  // Filter is only stored until Filtered is on. Switching Filtered on, or
  // changing Filter while it is on, parses the text (raising EDatabaseError
  // and changing nothing when it is invalid), then shows only the rows it
  // passes, from the first. Blank Filter text passes every row.
  const AnsiString& Filter() const noexcept { return filter_; }
  void SetFilter(const AnsiString& filter);
  bool Filtered() const noexcept { return filtered_; }
  void SetFiltered(bool filtered);

  // Moves to the first visible row whose keyField matches keyValue's text
  // (see KeyMatches) and returns true; returns false and stays put when no
  // row matches. A Null key matches nothing. Raises EDatabaseError for an
  // unknown field or a key without a text form.
  bool Locate(std::string_view keyField, const Variant& keyValue, TLocateOptions options = {});

  // The current row's value of a field; Null when there is no current row.
  const Variant& CurrentValue(std::size_t fieldIndex) const noexcept;

 protected:
  // Replaces fields and rows (normalising the packet, see NormalizeDataPacket)
  // and opens on the first visible row. When the packet is unusable, or
  // Filtered is on and the filter names a field the packet lacks, raises
  // EDatabaseError and keeps the previous content.
  void SetContent(DataPacket content);
  // The content last given, all rows whatever the filter; empty until HasContent().
  const DataPacket& Content() const noexcept { return content_; }
  bool HasContent() const noexcept { return hasContent_; }

 private:
  void CheckActive() const;
  // The filter text parsed, and bound to the fields when there is content.
  FilterExpression PrepareFilter(const AnsiString& text) const;
  // Recomputes the visible rows and goes to the first; the dataset is open.
  void ApplyFilter();

  DataPacket content_;
  bool hasContent_ = false;
  std::vector<std::unique_ptr<TField>> fields_;
  bool active_ = false;

  AnsiString filter_;
  bool filtered_ = false;
  std::optional<FilterExpression> filterExpression_;  // set while filtered_

  std::vector<std::size_t> visible_;  // indices into content_.rows, in order
  std::size_t position_ = 0;          // index into visible_ of the current row
  bool eof_ = true;
  bool bof_ = true;
};

}  // namespace rtl
