#include "context/DevStrConvert.h"

#include "SuiteStrings.h"
#include "suite/cxClasses.h"

namespace context {
namespace {

constinit rtl::UnitCounter InitCount;

// The record arrays of the table's units, by unit number.
const rtl::TResStringRec* const kUnitRecords[] = {
    suite::Cxexportstrs::Strings,
    suite::Cxlibrarystrs::Strings,
    suite::Cxgridstrs::Strings,
    suite::Cxgridpopupmenuconsts::Strings,
    suite::Cxfilterconsts::Strings,
    suite::Cxdataconsts::Strings,
    suite::Cxfiltercontrolstrs::Strings,
    suite::Cxeditconsts::Strings,
    suite::Dxbarstrs::Strings,
    dxExtCtrlsStrs::Strings,
    dxPSRes::Strings,
};
static_assert(std::size(kUnitRecords) == ChineseTexts::UnitCount);

}  // namespace

const rtl::TResStringRec* RecordOf(const ChineseTexts::Entry& entry) { return &kUnitRecords[entry.unit][entry.index]; }

void DevStrConvertInitialization() {
  if (!InitCount.Enter()) return;
  for (const ChineseTexts::Entry& entry : ChineseTexts::Entries) {
    suite::cxSetResourceString(RecordOf(entry),
                               rtl::AnsiString(ChineseTexts::Texts + entry.textOffset, entry.textLength));
  }
}

void DevStrConvertFinalization() { InitCount.Leave(); }

}  // namespace context
