// What every plug-in library does at its boundary: at load, register its
// module record (so its resources are found) and run its unit table; at
// unload, destroy its forms that are still alive, then finalise the units
// in reverse; around each entry point, a catch-all that turns exceptions
// into status codes. A library whose start-up failed answers every entry
// point with a failure.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/boundary/SafeCall.h"
#include "runtime/components/Component.h"
#include "runtime/dispatch/Apartment.h"
#include "runtime/forms/Application.h"
#include "runtime/forms/Form.h"
#include "runtime/module/Module.h"
#include "runtime/units/Units.h"

namespace rtl {

class PluginLibrary {
 public:
  // Called from the library's load routine; sets instance to the module record.
  // On Windows that routine runs inside DllMain's process attach, under the
  // loader lock: unit initialisation only touches the runtime and the
  // libraries already loaded, and must not load libraries, start threads
  // or wait for anything.
  void Load(const char* name, ResourceSource resources, std::span<const UnitEntry> units, HINST& instance) noexcept;
  // Called from the library's unload routine.
  void Unload(HINST& instance) noexcept;

  template <class Body>
  std::int32_t EntryPoint(Body&& body) const noexcept {
    if (loadFailed_) return E_UNEXPECTED;
    // Outside the loader's lock again: COM the runtime kept only for an
    // unloaded library's objects can go now.
    apartment::Settle();
    return SafeCallBoundary(std::forward<Body>(body));
  }

 private:
  TLibModule* module_ = nullptr;
  std::span<const UnitEntry> units_;
  const char* name_ = "";
  bool loadFailed_ = true;
};

// The form *ref names, when it is a live form of class Form that the
// application owns; raises EOleSysError otherwise (E_POINTER for a null
// address, E_INVALIDARG for a stale or foreign reference). Nullptr for an
// empty reference. Only addresses are compared before the form is known to
// be alive, so a stale reference is never followed.
template <class Form>
Form* LiveFormNamedBy(TCustomForm* const* ref) {
  if (ref == nullptr) throw EOleSysError("Invalid pointer", E_POINTER);
  TCustomForm* named = *ref;
  if (named == nullptr) return nullptr;
  Form* form = Application != nullptr && Application->Owns(named) ? dynamic_cast<Form*>(named) : nullptr;
  if (form == nullptr) throw EOleSysError("The reference is not a live dialog of this module", E_INVALIDARG);
  return form;
}

// Raises E_POINTER for a null out-parameter address.
inline void CheckOut(const void* address) {
  if (address == nullptr) throw EOleSysError("Invalid pointer", E_POINTER);
}

// CreateModule's hand-out: a new form of class Form owned by the
// application, written to *ref, and the display kind written to *kind.
// Both addresses are checked first, so a failure writes neither.
template <class Form>
Form* HandOutForm(HINST module, TCustomForm** ref, std::int32_t* kind, std::int32_t displayKind) {
  CheckOut(ref);
  CheckOut(kind);
  Form* form = TCustomForm::Create<Form>(Application, module);
  *ref = form;
  *kind = displayKind;
  return form;
}

// FreeModule's body: nothing at all while the library has made no form
// (the host's reference is not looked at); otherwise destroys the live form
// the host names, never the one the library remembers.
template <class Form>
void FreeNamedForm(const Form* lastMade, TCustomForm* const* ref) {
  if (lastMade == nullptr) return;
  Free(LiveFormNamedBy<Form>(ref));
}

}  // namespace rtl
