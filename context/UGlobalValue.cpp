#include "context/UGlobalValue.h"

#include "runtime/except/Exceptions.h"

namespace context {

constinit THostContext* HostContext = nullptr;
constinit rtl::HINST HInstance = nullptr;
constinit rtl::UnitCounter UGlobalValueInitCount;

THostContext& Host() {
  if (HostContext == nullptr) throw rtl::EInvalidOperation("The host has not handed over its context");
  return *HostContext;
}

}  // namespace context
