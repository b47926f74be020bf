// The context edition's library main unit: the four exported entry points,
// the module's form reference, and the unit table run at load and unload.
//
//   CreateModule(form*, 5 ignored, context, kind*)  stores the context in
//       HostContext before anything else, builds a TEditLogPaswrdForm owned
//       by Application, writes it to *form and 1 to *kind. Fails (neither
//       written, the context stored all the same) when form or kind is a
//       null address or the dialog cannot be built.
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
#include <type_traits>

#include "ContextResources.h"
#include "context/DevStrConvert.h"
#include "context/UBaseFrm.h"
#include "context/UEditLogPaswrdFrm.h"
#include "context/UGlobalFunUnt.h"
#include "context/UGlobalValue.h"
#include "context/UGlobalValueClass.h"
#include "context/dxPSRes.h"
#include "contract/VelmoraContract.h"
#include "runtime/boundary/SafeCall.h"
#include "runtime/forms/Application.h"
#include "runtime/plugin/LibraryMain.h"
#include "runtime/plugin/PluginLibrary.h"
#include "runtime/units/Units.h"
#include "suite/SuiteLibrary.h"

namespace context {
namespace {

// The dialog most recently made by CreateModule; only ever tested for empty.
constinit TEditLogPaswrdForm* ModuleForm = nullptr;

constinit rtl::PluginLibrary Library;

constinit rtl::UnitCounter UHollinObjValueClassInitCount;
constinit rtl::UnitCounter dxExtCtrlsStrsInitCount;
constinit rtl::UnitCounter VelmoraInitCount;

// The units of the library in link order, each after the units it uses.
constexpr rtl::UnitEntry kUnits[] = {
    rtl::CountOnlyUnit<UHollinObjValueClassInitCount>("UHollinObjValueClass"),
    rtl::CountOnlyUnit<UGlobalValueInitCount>("UGlobalValue"),
    rtl::CountOnlyUnit<UGlobalFunUntInitCount>("UGlobalFunUnt"),
    rtl::CountOnlyUnit<UBaseFrmInitCount>("UBaseFrm"),
    {"dxPSRes", &dxPSResInitialization, &dxPSResFinalization},
    rtl::CountOnlyUnit<dxExtCtrlsStrsInitCount>("dxExtCtrlsStrs"),
    {"Cxgridpopupmenuconsts", &suite::CxgridpopupmenuconstsInitialization, &suite::CxgridpopupmenuconstsFinalization},
    {"DevStrConvert", &DevStrConvertInitialization, &DevStrConvertFinalization},
    rtl::CountOnlyUnit<UEditLogPaswrdFrmInitCount>("UEditLogPaswrdFrm"),
    rtl::CountOnlyUnit<VelmoraInitCount>("Velmora"),
};

VELMORA_LIBRARY_MAIN(Library, "Velmora", ContextResources(), kUnits, HInstance)

}  // namespace
}  // namespace context

using namespace context;

extern "C" {

VELMORA_EXPORT std::int32_t VELMORA_CALL CreateModule(rtl::TCustomForm** form, std::int32_t, std::int32_t, std::int32_t,
                                                      std::int32_t, std::int32_t, THostContext* host,
                                                      std::int32_t* kind) {
  return Library.EntryPoint([&] {
    // First of all, so any later failure, a null out-address included,
    // leaves the new context in place.
    HostContext = host;
    ModuleForm = rtl::HandOutForm<TEditLogPaswrdForm>(HInstance, form, kind, ModuleDisplayKind);
  });
}

VELMORA_EXPORT std::int32_t VELMORA_CALL FreeModule(rtl::TCustomForm** form) {
  return Library.EntryPoint([&] { rtl::FreeNamedForm(ModuleForm, form); });
}

VELMORA_EXPORT std::int32_t VELMORA_CALL RefreshModule(std::int32_t, std::int32_t) {
  return Library.EntryPoint([] {});
}

VELMORA_EXPORT std::int32_t VELMORA_CALL GetModuleInfo(std::int32_t, char** buffer) {
  return Library.EntryPoint([&] {
    rtl::CheckOut(buffer);
    rtl::CheckOut(*buffer);
    std::memcpy(*buffer, ModuleDescriptor, sizeof ModuleDescriptor);
  });
}

}  // extern "C"

// The exports have exactly the contract's signatures.
static_assert(std::is_same_v<decltype(&CreateModule), velmora::CreateModuleContextFn>);
static_assert(std::is_same_v<decltype(&FreeModule), velmora::FreeModuleFn>);
static_assert(std::is_same_v<decltype(&RefreshModule), velmora::RefreshModuleFn>);
static_assert(std::is_same_v<decltype(&GetModuleInfo), velmora::GetModuleInfoFn>);
