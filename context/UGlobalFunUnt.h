// Routines shared by the module's forms: a message through the host, and
// applying a filter text to a dataset.
#pragma once

#include "runtime/db/DataSet.h"
#include "runtime/text/Text.h"
#include "runtime/units/Units.h"

namespace context {

// Shows the message through the Prompt member of the host's prompt object
// and returns when that call returns. Nothing is caught.
void ShowPrompt(const rtl::AnsiString& message);

// Switches filtering off, then, when the filter text is not blank, sets it
// (untrimmed) and switches filtering on; a blank text empties Filter.
// An empty dataset reference does nothing.
void SetDataSetFilter(rtl::TDataSet* dataSet, const rtl::AnsiString& filter);

extern constinit rtl::UnitCounter UGlobalFunUntInitCount;

}  // namespace context
