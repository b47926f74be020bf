// The context edition's library main unit: the four exported entry points,
// the module's form reference, and the unit table run at load and unload.
//
//   CreateModule(form*, 5 ignored, context, kind*)  stores the context in
//       HostContext, builds a TEditLogPaswrdForm owned by Application, writes
//       it to *form and 1 to *kind. Fails (nothing written) when form or kind
//       is a null address or the dialog cannot be built.
//   FreeModule(form*)  destroys the form *form names; 0 at once when this
//       library has never made a form; an empty *form destroys nothing. Fails
//       for a null address and for a reference that is not a live dialog of
//       this library (destroying nothing).
//   RefreshModule(2 ignored)  does nothing.
//   GetModuleInfo(ignored, buffer*)  copies the descriptor and its NUL into
//       the buffer *buffer points to. Fails for a null address.
// Every entry point returns 0 or a failing COM-style status; none raises.
#include <cstring>
#include <span>

#include "context/UBaseFrm.h"
#include "context/UEditLogPaswrdFrm.h"
#include "context/UGlobalFunUnt.h"
#include "context/UGlobalValue.h"
#include "context/UGlobalValueClass.h"
#include "runtime/except/SafeCall.h"
#include "runtime/forms/Application.h"
#include "runtime/module/Export.h"
#include "runtime/units/Units.h"

std::span<const std::uint8_t> ContextResources();

namespace context {
namespace {

// The dialog most recently made by CreateModule; only ever tested for empty.
TEditLogPaswrdForm* ModuleForm = nullptr;

rtl::TLibModule* ModuleRecord = nullptr;
bool LoadFailed = false;

rtl::UnitCounter UHollinObjValueClassInitCount;
rtl::UnitCounter VelmoraInitCount;

// The units of the library in link order, each after the units it uses.
const rtl::UnitEntry kUnits[] = {
    {"UHollinObjValueClass", &rtl::CountOnlyInitialization<UHollinObjValueClassInitCount>,
     &rtl::CountOnlyFinalization<UHollinObjValueClassInitCount>},
    {"UGlobalValue", &rtl::CountOnlyInitialization<UGlobalValueInitCount>,
     &rtl::CountOnlyFinalization<UGlobalValueInitCount>},
    {"UGlobalFunUnt", &rtl::CountOnlyInitialization<UGlobalFunUntInitCount>,
     &rtl::CountOnlyFinalization<UGlobalFunUntInitCount>},
    {"UBaseFrm", &rtl::CountOnlyInitialization<UBaseFrmInitCount>, &rtl::CountOnlyFinalization<UBaseFrmInitCount>},
    {"UEditLogPaswrdFrm", &rtl::CountOnlyInitialization<UEditLogPaswrdFrmInitCount>,
     &rtl::CountOnlyFinalization<UEditLogPaswrdFrmInitCount>},
    {"Velmora", &rtl::CountOnlyInitialization<VelmoraInitCount>, &rtl::CountOnlyFinalization<VelmoraInitCount>},
};

__attribute__((constructor)) void LibraryLoad() {
  try {
    ModuleRecord = new rtl::TLibModule("Velmora", ContextResources());
    HInstance = ModuleRecord;
    LoadFailed = !rtl::InitializeUnits(kUnits);
  } catch (...) {
    LoadFailed = true;
  }
}

__attribute__((destructor)) void LibraryUnload() {
  if (ModuleRecord == nullptr) return;
  if (!LoadFailed) rtl::FinalizeUnits(kUnits);
  HInstance = nullptr;
  delete ModuleRecord;
  ModuleRecord = nullptr;
}

// Runs an entry point's body: a library whose start-up failed answers
// nothing, and no exception leaves.
template <class Body>
std::int32_t EntryPoint(Body&& body) noexcept {
  if (LoadFailed) return rtl::E_UNEXPECTED;
  return rtl::SafeCallBoundary(std::forward<Body>(body));
}

}  // namespace
}  // namespace context

using namespace context;

extern "C" {

VELMORA_EXPORT std::int32_t VELMORA_CALL CreateModule(rtl::TCustomForm** form, std::int32_t, std::int32_t,
                                                      std::int32_t, std::int32_t, std::int32_t, THostContext* host,
                                                      std::int32_t* kind) {
  return EntryPoint([&] {
    if (form == nullptr || kind == nullptr) throw rtl::EOleSysError("Invalid pointer", rtl::E_POINTER);
    HostContext = host;  // first, so a later failure leaves the new context in place
    ModuleForm = rtl::TCustomForm::Create<TEditLogPaswrdForm>(rtl::Application, HInstance);
    *form = ModuleForm;
    *kind = ModuleDisplayKind;
  });
}

VELMORA_EXPORT std::int32_t VELMORA_CALL FreeModule(rtl::TCustomForm** form) {
  return EntryPoint([&] {
    if (ModuleForm == nullptr) return;  // never made a form: the host's reference is not looked at
    if (form == nullptr) throw rtl::EOleSysError("Invalid pointer", rtl::E_POINTER);
    rtl::TCustomForm* named = *form;
    if (named == nullptr) return;
    // Only a dialog of this library that is still alive is destroyed, so a
    // stale or foreign reference can never free memory twice.
    if (!rtl::Application->Owns(named) || dynamic_cast<TEditLogPaswrdForm*>(named) == nullptr) {
      throw rtl::EOleSysError("The reference is not a live dialog of this module", rtl::E_INVALIDARG);
    }
    rtl::Free(named);
  });
}

VELMORA_EXPORT std::int32_t VELMORA_CALL RefreshModule(std::int32_t, std::int32_t) {
  return EntryPoint([] {});
}

VELMORA_EXPORT std::int32_t VELMORA_CALL GetModuleInfo(std::int32_t, char** buffer) {
  return EntryPoint([&] {
    if (buffer == nullptr || *buffer == nullptr) throw rtl::EOleSysError("Invalid pointer", rtl::E_POINTER);
    std::memcpy(*buffer, ModuleDescriptor, sizeof ModuleDescriptor);
  });
}

}  // extern "C"
