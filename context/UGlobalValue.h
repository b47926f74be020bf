// Module-wide values of the context edition.
#pragma once

#include "context/UHollinObjValueClass.h"
#include "runtime/module/Module.h"
#include "runtime/units/Units.h"

namespace context {

// The host context received by the latest CreateModule; borrowed, never
// released and never cleared. Every use reads it afresh.
extern constinit THostContext* HostContext;

// This library's instance handle: what its resources are found by.
extern constinit rtl::HINST HInstance;

// HostContext, raising when the host has not handed one over.
THostContext& Host();

extern constinit rtl::UnitCounter UGlobalValueInitCount;

}  // namespace context
