#include "context/DevStrConvert.h"

#include <array>

#include "SuiteStrings.h"
#include "suite/cxClasses.h"

namespace context {
namespace {

constinit rtl::UnitCounter InitCount;

// The record arrays of the table's units, by unit number.
std::array<std::span<const rtl::TResStringRec>, ChineseTexts::UnitCount> UnitRecords() {
  return {suite::Cxexportstrs::Strings,
          suite::Cxlibrarystrs::Strings,
          suite::Cxgridstrs::Strings,
          suite::Cxgridpopupmenuconsts::Strings,
          suite::Cxfilterconsts::Strings,
          suite::Cxdataconsts::Strings,
          suite::Cxfiltercontrolstrs::Strings,
          suite::Cxeditconsts::Strings,
          suite::Dxbarstrs::Strings,
          dxExtCtrlsStrs::Strings(),
          dxPSRes::Strings()};
}

}  // namespace

const rtl::TResStringRec* RecordOf(const ChineseTexts::Entry& entry) { return &UnitRecords()[entry.unit][entry.index]; }

void ApplyChineseTexts() {
  suite::cxSetResourceStringTable(UnitRecords(), ChineseTexts::Entries,
                                  std::string_view(ChineseTexts::Texts, ChineseTexts::TextsSize));
}

void DevStrConvertInitialization() {
  if (!InitCount.Enter()) return;
  ApplyChineseTexts();
}

void DevStrConvertFinalization() { InitCount.Leave(); }

}  // namespace context
