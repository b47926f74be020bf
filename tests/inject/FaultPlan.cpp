#include "tests/inject/FaultPlan.h"

#include <gtest/gtest.h>

#include "runtime/dispatch/AutoObject.h"
#include "runtime/text/Unicode.h"

namespace velmora::test {
namespace {

// An automation object without members.
class Bystander final : public rtl::TAutoObject {};

}  // namespace

Fault Fails(std::string operation, int call) { return {std::move(operation), FaultKind::Fails, call, {}, {}}; }
Fault Raises(std::string operation, int call) { return {std::move(operation), FaultKind::Raises, call, {}, {}}; }
Fault UnknownMember(std::string operation) { return {std::move(operation), FaultKind::UnknownMember, 0, {}, {}}; }

Fault Answers(std::string operation, rtl::Variant value, int call) {
  return {std::move(operation), FaultKind::Answers, call, std::move(value), {}};
}

Fault OverwritesArgument(std::string operation, rtl::Variant value) {
  return {std::move(operation), FaultKind::OverwritesArgument, 0, std::move(value), {}};
}

rtl::Variant LongText() { return rtl::Variant(rtl::AnsiString(std::size_t{1} << 20, 'a')); }
rtl::Variant MalformedGbk() { return rtl::Variant("\x81'\xff"); }
rtl::Variant UnmappableText() { return rtl::Variant(rtl::WideString(u"a\xD800")); }
rtl::Variant AnObject() { return rtl::Variant(rtl::DispatchPtr(rtl::TAutoObject::Create<Bystander>())); }

void FaultPlan::Arm(Fault fault) {
  fault_ = std::move(fault);
  calls_ = 0;
  Changed();
}

void FaultPlan::Disarm() {
  fault_.reset();
  Changed();
}

const Fault* FaultPlan::Take(std::string_view operation) {
  if (!fault_ || fault_->operation != operation) return nullptr;
  ++calls_;
  return fault_->call == 0 || fault_->call == calls_ ? &*fault_ : nullptr;
}

const Fault* FaultPlan::On(std::string_view operation) const {
  return fault_ && fault_->operation == operation ? &*fault_ : nullptr;
}

void FaultPlan::Changed() {
  for (const auto& listener : listeners_) listener();
}

rtl::DispatchPtr FaultyDispatch::Wrap(rtl::DispatchPtr inner, FaultPlan& plan) {
  return rtl::DispatchPtr(new FaultyDispatch(std::move(inner), plan));
}

std::uint32_t FaultyDispatch::Release() noexcept {
  const std::uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

rtl::HResult FaultyDispatch::GetIDsOfNames(const rtl::WideString& name, rtl::DispId* id) noexcept {
  pending_ = plan_.Take(rtl::WideToUtf8(name));
  if (pending_ != nullptr && pending_->kind == FaultKind::UnknownMember) return rtl::DISP_E_UNKNOWNNAME;
  return inner_->GetIDsOfNames(name, id);
}

rtl::HResult FaultyDispatch::Invoke(rtl::DispId id, rtl::DispatchKind kind, std::span<rtl::Variant> args,
                                    rtl::Variant* result, rtl::ErrorInfo* error, std::uint32_t* argErr) noexcept {
  const Fault* fault = std::exchange(pending_, nullptr);
  if (fault != nullptr) {
    if (const auto refused = Refuse(*fault, error)) return *refused;
  }
  const rtl::HResult hr = inner_->Invoke(id, kind, args, result, error, argErr);
  if (fault == nullptr || rtl::Failed(hr)) return hr;
  if (fault->kind == FaultKind::Answers && result != nullptr) *result = fault->value;
  if (fault->kind == FaultKind::OverwritesArgument) {
    for (rtl::Variant& arg : args) {
      if (arg.Type() == rtl::VarType::ByRef) arg.Target() = fault->value;
    }
  }
  return hr;
}

std::optional<rtl::HResult> Refuse(const Fault& fault, rtl::ErrorInfo* error) noexcept {
  switch (fault.kind) {
    case FaultKind::Fails: return rtl::E_FAIL;
    case FaultKind::Raises:
      if (error != nullptr) error->description = kHostRaised;
      return rtl::DISP_E_EXCEPTION;
    case FaultKind::Before: try { fault.action();
      } catch (const std::exception& e) {
        ADD_FAILURE() << "the fault's action failed: " << e.what();
        return rtl::E_UNEXPECTED;
      }
      return std::nullopt;
    default: return std::nullopt;
  }
}

}  // namespace velmora::test
