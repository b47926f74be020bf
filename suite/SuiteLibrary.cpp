// The suite library's load and unload: its module record (for its string
// tables) and its units, in link order.
#include "suite/SuiteLibrary.h"

#include <span>

#include "SuiteStrings.h"
#include "runtime/module/PluginLibrary.h"

std::span<const std::uint8_t> SuiteResources();

namespace suite {

rtl::HINST HInstance = nullptr;

namespace {

rtl::PluginLibrary Library;

rtl::UnitCounter CxclassesInitCount;
rtl::UnitCounter DxcoreInitCount;
rtl::UnitCounter CxexportstrsInitCount;
rtl::UnitCounter CxlibrarystrsInitCount;
rtl::UnitCounter CxgridstrsInitCount;
rtl::UnitCounter CxgridpopupmenuconstsInitCount;
rtl::UnitCounter CxfilterconstsInitCount;
rtl::UnitCounter CxdataconstsInitCount;
rtl::UnitCounter CxfiltercontrolstrsInitCount;
rtl::UnitCounter CxeditconstsInitCount;
rtl::UnitCounter DxbarstrsInitCount;

template <rtl::UnitCounter& counter>
constexpr rtl::UnitEntry CountOnly(const char* name) {
  return {name, &rtl::CountOnlyInitialization<counter>, &rtl::CountOnlyFinalization<counter>};
}

const rtl::UnitEntry kUnits[] = {
    CountOnly<CxclassesInitCount>("Cxclasses"),
    CountOnly<DxcoreInitCount>("Dxcore"),
    CountOnly<CxexportstrsInitCount>("Cxexportstrs"),
    CountOnly<CxlibrarystrsInitCount>("Cxlibrarystrs"),
    CountOnly<CxgridstrsInitCount>("Cxgridstrs"),
    CountOnly<CxgridpopupmenuconstsInitCount>("Cxgridpopupmenuconsts"),
    CountOnly<CxfilterconstsInitCount>("Cxfilterconsts"),
    CountOnly<CxdataconstsInitCount>("Cxdataconsts"),
    CountOnly<CxfiltercontrolstrsInitCount>("Cxfiltercontrolstrs"),
    CountOnly<CxeditconstsInitCount>("Cxeditconsts"),
    CountOnly<DxbarstrsInitCount>("Dxbarstrs"),
};

__attribute__((constructor)) void LibraryLoad() { Library.Load("velmora_suite", SuiteResources(), kUnits, HInstance); }

__attribute__((destructor)) void LibraryUnload() { Library.Unload(HInstance); }

}  // namespace

void CxgridpopupmenuconstsInitialization() noexcept { CxgridpopupmenuconstsInitCount.Enter(); }
void CxgridpopupmenuconstsFinalization() noexcept { CxgridpopupmenuconstsInitCount.Leave(); }

}  // namespace suite
