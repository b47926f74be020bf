// A host context standing in front of the reference host's: its services
// and fields are the reference host's unless the fault plan picks one.
// Fields (CurUserCode, PromptObj, FunRightData) take the fault's value while
// the plan is armed on them; the prompt object's member goes through a
// FaultyDispatch.
#pragma once

#include "host/ContextHost.h"
#include "runtime/db/ClientDataSet.h"
#include "tests/inject/FaultPlan.h"

namespace velmora::test {

class FaultyContext final : public THostContext {
 public:
  FaultyContext(host::ContextHost& inner, FaultPlan& plan);
  ~FaultyContext() override { plan_.ForgetListeners(); }
  FaultyContext(const FaultyContext&) = delete;
  FaultyContext& operator=(const FaultyContext&) = delete;

  rtl::HResult OpenSQL(const rtl::WideString& sql, rtl::Variant& result, rtl::ErrorInfo& error) noexcept override;
  rtl::HResult ExecSQL(const rtl::WideString& sql, rtl::ErrorInfo& error) noexcept override;
  rtl::HResult EncodePassword(const rtl::AnsiString& password, rtl::AnsiString& result,
                              rtl::ErrorInfo& error) noexcept override;

 private:
  void TakeFields();

  host::ContextHost& inner_;
  FaultPlan& plan_;
  rtl::Variant prompt_;
  rtl::TClientDataSet emptyRights_{nullptr};  // a dataset without content
};

}  // namespace velmora::test
