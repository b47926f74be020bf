// A test host's plan of misbehaviour: one host service, one way of going
// wrong, on every call or on one of them. The doubles around the reference
// host's services (FaultyContext, FaultyDispatch, FaultyServers) ask the plan
// before each call they forward; everything the plan does not pick is the
// reference host's own behaviour.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

}  // namespace velmora::test
