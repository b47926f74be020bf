// An automation object standing in front of one of the host's: every call
// goes through to the host's object unless the fault plan picks it.
#pragma once

#include <atomic>
#include <optional>
#include <span>

#include "runtime/variant/Dispatch.h"
#include "tests/inject/FaultPlan.h"

namespace velmora::test {

class FaultyDispatch final : public rtl::IDispatch {
 public:
  // A reference to a new object in front of inner.
  static rtl::DispatchPtr Wrap(rtl::DispatchPtr inner, FaultPlan& plan);

  std::uint32_t AddRef() noexcept override { return ++refs_; }
  std::uint32_t Release() noexcept override;
  rtl::HResult GetIDsOfNames(const rtl::WideString& name, rtl::DispId* id) noexcept override;
  rtl::HResult Invoke(rtl::DispId id, rtl::DispatchKind kind, std::span<rtl::Variant> args, rtl::Variant* result,
                      rtl::ErrorInfo* error, std::uint32_t* argErr) noexcept override;

 private:
  FaultyDispatch(rtl::DispatchPtr inner, FaultPlan& plan) : inner_(std::move(inner)), plan_(plan) {}
  ~FaultyDispatch() = default;

  rtl::DispatchPtr inner_;
  FaultPlan& plan_;
  std::atomic<std::uint32_t> refs_{0};
  // Each late-bound call asks for the member's id first: that is where the
  // call is counted, and its fault kept for the Invoke that follows.
  const Fault* pending_ = nullptr;
};

// Runs a fault's Fails, Raises or Before part for a safecall service.
// Returns the status to give back when the call must not go through.
std::optional<rtl::HResult> Refuse(const Fault& fault, rtl::ErrorInfo* error) noexcept;

}  // namespace velmora::test
