#include "tests/inject/FaultPlan.h"

#include "runtime/dispatch/AutoObject.h"

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

}  // namespace velmora::test
