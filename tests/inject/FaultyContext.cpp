#include "tests/inject/FaultyContext.h"

#include "tests/inject/FaultyDispatch.h"

namespace velmora::test {

FaultyContext::FaultyContext(host::ContextHost& inner, FaultPlan& plan)
    : inner_(inner), plan_(plan), prompt_(FaultyDispatch::Wrap(inner.PromptObj.AsDispatch(), plan)) {
  plan_.OnChange([this] { TakeFields(); });
  TakeFields();
}

void FaultyContext::TakeFields() {
  const Fault* code = plan_.On("CurUserCode");
  CurUserCode = code != nullptr ? code->value.AsString() : inner_.CurUserCode;
  const Fault* prompt = plan_.On("PromptObj");
  PromptObj = prompt != nullptr ? prompt->value : prompt_;
  const Fault* rights = plan_.On("FunRightData");
  FunRightData = rights == nullptr ? inner_.FunRightData : rights->value.IsNull() ? nullptr : &emptyRights_;
}

rtl::HResult FaultyContext::OpenSQL(const rtl::WideString& sql, rtl::Variant& result, rtl::ErrorInfo& error) noexcept {
  const Fault* fault = plan_.Take("OpenSQL");
  if (fault != nullptr) {
    if (const auto refused = Refuse(*fault, &error)) return *refused;
  }
  const rtl::HResult hr = inner_.OpenSQL(sql, result, error);
  if (fault != nullptr && fault->kind == FaultKind::Answers && rtl::Succeeded(hr)) result = fault->value;
  return hr;
}

rtl::HResult FaultyContext::ExecSQL(const rtl::WideString& sql, rtl::ErrorInfo& error) noexcept {
  const Fault* fault = plan_.Take("ExecSQL");
  if (fault != nullptr) {
    if (const auto refused = Refuse(*fault, &error)) return *refused;
  }
  return inner_.ExecSQL(sql, error);
}

rtl::HResult FaultyContext::EncodePassword(const rtl::AnsiString& password, rtl::AnsiString& result,
                                           rtl::ErrorInfo& error) noexcept {
  const Fault* fault = plan_.Take("EncodePassword");
  if (fault != nullptr) {
    if (const auto refused = Refuse(*fault, &error)) return *refused;
  }
  const rtl::HResult hr = inner_.EncodePassword(password, result, error);
  if (fault != nullptr && fault->kind == FaultKind::Answers && rtl::Succeeded(hr)) result = fault->value.AsString();
  return hr;
}

}  // namespace velmora::test
