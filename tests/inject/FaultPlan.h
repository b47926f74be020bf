// A test host's plan of misbehaviour: one host service, one way of going
// wrong, on every call or on one of them, and the automation object that
// carries it out in front of one of the host's. The doubles around the
// reference host's services ask the plan before each call they forward;
// everything the plan does not pick is the reference host's own behaviour.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/variant/Dispatch.h"
#include "runtime/variant/Variant.h"

namespace velmora::test {

enum class FaultKind {
  Fails,               // a failing status, with nothing for the person
  Raises,              // a failing status with the host's own text for the person (kHostRaised)
  UnknownMember,       // the object has no member of that name
  Answers,             // does its work, then answers value instead
  OverwritesArgument,  // does its work, then leaves value in its by-reference argument
  Before,              // runs action, then does its work
};

// What the misbehaving host tells the person when it raises.
inline constexpr const char* kHostRaised = "宿主拒绝了这次调用";

struct Fault {
  // A member name ("OpenSQL", "UserID"), a field ("CurUserCode") or the
  // creation of a server ("create TarnCore.DataCtl").
  std::string operation;
  FaultKind kind = FaultKind::Fails;
  int call = 0;  // the 1-based call that goes wrong; 0 for every call
  rtl::Variant value;
  std::function<void()> action;
};

Fault Fails(std::string operation, int call = 0);
Fault Raises(std::string operation, int call = 0);
Fault UnknownMember(std::string operation);
Fault Answers(std::string operation, rtl::Variant value, int call = 0);
Fault OverwritesArgument(std::string operation, rtl::Variant value);

// Unexpected answers.
rtl::Variant LongText();        // 1 MiB of letters
rtl::Variant MalformedGbk();    // 8-bit bytes that are no GBK text
rtl::Variant UnmappableText();  // wide text GBK cannot hold
rtl::Variant AnObject();        // an automation object where text is expected
// Text that would widen the statement's condition to every row if it were
// not quoted.
inline constexpr const char* kInjectedCode = "x' OR '1'='1";

class FaultPlan {
 public:
  void Arm(Fault fault);
  // Every service behaves as the reference host's again.
  void Disarm();
  // Counts one call of operation; the fault to inject into it, if any.
  const Fault* Take(std::string_view operation);
  // The fault on a field (read whenever the module likes), if any.
  const Fault* On(std::string_view operation) const;
  // Runs listener whenever the plan is armed or disarmed.
  void OnChange(std::function<void()> listener) { listeners_.push_back(std::move(listener)); }
  void ForgetListeners() noexcept { listeners_.clear(); }

 private:
  void Changed();

  std::optional<Fault> fault_;
  int calls_ = 0;
  std::vector<std::function<void()>> listeners_;
};

// An automation object standing in front of one of the host's: every call
// goes through to the host's object unless the fault plan picks it.
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
