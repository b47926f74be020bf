#include "context/UGlobalFunUnt.h"

#include "context/TarnCore_TLB.h"
#include "context/UGlobalValue.h"
#include "runtime/dispatch/LateBinding.h"

namespace context {

constinit rtl::UnitCounter UGlobalFunUntInitCount;

void ShowPrompt(const rtl::AnsiString& message) {
  rtl::AnsiString text = message;  // passed by reference: the host may write it back
  rtl::InvokeWithRefs(Host().PromptObj, TarnCore::PromptMember, {rtl::TextRef(text)});
}

void SetDataSetFilter(rtl::TDataSet* dataSet, const rtl::AnsiString& filter) {
  if (dataSet == nullptr) return;
  dataSet->SetFiltered(false);
  if (!rtl::Trim(filter).empty()) {
    dataSet->SetFilter(filter);
    dataSet->SetFiltered(true);
  } else {
    dataSet->SetFilter("");
  }
}

}  // namespace context
