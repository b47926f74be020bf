// The Chinese texts of the component suite's user interface. While the
// library is loaded, the first initialisation of this unit hands each entry
// of the constant text table, in order, to the suite's cxSetResourceString.
// Nothing is restored at unload.
#pragma once

#include "ContextStrings.h"
#include "runtime/units/Units.h"

namespace context {

// The record an entry of the text table names.
const rtl::TResStringRec* RecordOf(const ChineseTexts::Entry& entry);

// Hands the whole table to the suite, in table order.
void ApplyChineseTexts();

void DevStrConvertInitialization();
void DevStrConvertFinalization();

}  // namespace context
