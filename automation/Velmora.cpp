// The automation edition's library main unit: the four exported entry
// points and the unit table run at load and unload.
//
//   CreateModule(form*, 5 ignored, kind*)  builds a TFrmCP owned by
//       Application (its create handler starts the host's two automation
//       servers), writes it to *form and 2 to *kind. Fails (nothing written)
//       when form or kind is a null address or the dialog cannot be built.
//   FreeModule(form*)  destroys the form *form names; 0 at once when this
//       library has never made a form; an empty *form destroys nothing. Fails
//       for a null address and for a reference that is not a live dialog of
//       this library (destroying nothing).
//   RefreshModule, GetModuleInfo (2 ignored each)  do nothing.
// Every entry point returns 0 or a failing COM-style status; none raises.
#include <span>
#include <type_traits>

#include "AutomationResources.h"
#include "automation/UChangePassword.h"
#include "contract/VelmoraContract.h"
#include "runtime/plugin/LibraryMain.h"
#include "runtime/plugin/PluginLibrary.h"

namespace automation {
namespace {

constinit rtl::HINST HInstance = nullptr;
constinit rtl::PluginLibrary Library;

constinit rtl::UnitCounter Md5InitCount;
constinit rtl::UnitCounter VelmoraInitCount;

// The units of the library in link order, each after the units it uses.
constexpr rtl::UnitEntry kUnits[] = {
    rtl::CountOnlyUnit<Md5InitCount>("md5"),
    {"UChangePassword", &UChangePasswordInitialization, &UChangePasswordFinalization},
    rtl::CountOnlyUnit<VelmoraInitCount>("Velmora"),
};

VELMORA_LIBRARY_MAIN(Library, "Velmora", AutomationResources(), kUnits, HInstance)

}  // namespace
}  // namespace automation

using namespace automation;

extern "C" {

VELMORA_EXPORT std::int32_t VELMORA_CALL CreateModule(rtl::TCustomForm** form, std::int32_t, std::int32_t, std::int32_t,
                                                      std::int32_t, std::int32_t, std::int32_t* kind) {
  return Library.EntryPoint(
      [&] { FrmCP = rtl::HandOutForm<TFrmCP>(HInstance, form, kind, velmora::AutomationDisplayKind); });
}

VELMORA_EXPORT std::int32_t VELMORA_CALL FreeModule(rtl::TCustomForm** form) {
  return Library.EntryPoint([&] { rtl::FreeNamedForm(FrmCP, form); });
}

VELMORA_EXPORT std::int32_t VELMORA_CALL RefreshModule(std::int32_t, std::int32_t) {
  return Library.EntryPoint([] {});
}

VELMORA_EXPORT std::int32_t VELMORA_CALL GetModuleInfo(std::int32_t, char**) {
  return Library.EntryPoint([] {});
}

}  // extern "C"

// The exports have exactly the contract's signatures.
static_assert(std::is_same_v<decltype(&CreateModule), velmora::CreateModuleAutomationFn>);
static_assert(std::is_same_v<decltype(&FreeModule), velmora::FreeModuleFn>);
static_assert(std::is_same_v<decltype(&RefreshModule), velmora::RefreshModuleFn>);
static_assert(std::is_same_v<decltype(&GetModuleInfo), velmora::GetModuleInfoFn>);
