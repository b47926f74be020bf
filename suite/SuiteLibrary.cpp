// The suite library's load and unload: its module record (for its string
// tables) and its units, in link order.
#include "suite/SuiteLibrary.h"

#include <span>

#include "SuiteResources.h"
#include "SuiteStrings.h"
#include "runtime/plugin/LibraryMain.h"

namespace suite {

constinit rtl::HINST HInstance = nullptr;

namespace {

constinit rtl::PluginLibrary Library;

constinit rtl::UnitCounter CxclassesInitCount;
constinit rtl::UnitCounter DxcoreInitCount;
constinit rtl::UnitCounter CxexportstrsInitCount;
constinit rtl::UnitCounter CxlibrarystrsInitCount;
constinit rtl::UnitCounter CxgridstrsInitCount;
constinit rtl::UnitCounter CxgridpopupmenuconstsInitCount;
constinit rtl::UnitCounter CxfilterconstsInitCount;
constinit rtl::UnitCounter CxdataconstsInitCount;
constinit rtl::UnitCounter CxfiltercontrolstrsInitCount;
constinit rtl::UnitCounter CxeditconstsInitCount;
constinit rtl::UnitCounter DxbarstrsInitCount;

constexpr rtl::UnitEntry kUnits[] = {
    rtl::CountOnlyUnit<CxclassesInitCount>("Cxclasses"),
    rtl::CountOnlyUnit<DxcoreInitCount>("Dxcore"),
    rtl::CountOnlyUnit<CxexportstrsInitCount>("Cxexportstrs"),
    rtl::CountOnlyUnit<CxlibrarystrsInitCount>("Cxlibrarystrs"),
    rtl::CountOnlyUnit<CxgridstrsInitCount>("Cxgridstrs"),
    rtl::CountOnlyUnit<CxgridpopupmenuconstsInitCount>("Cxgridpopupmenuconsts"),
    rtl::CountOnlyUnit<CxfilterconstsInitCount>("Cxfilterconsts"),
    rtl::CountOnlyUnit<CxdataconstsInitCount>("Cxdataconsts"),
    rtl::CountOnlyUnit<CxfiltercontrolstrsInitCount>("Cxfiltercontrolstrs"),
    rtl::CountOnlyUnit<CxeditconstsInitCount>("Cxeditconsts"),
    rtl::CountOnlyUnit<DxbarstrsInitCount>("Dxbarstrs"),
};

VELMORA_LIBRARY_MAIN(Library, "velmora_suite", SuiteResources(), kUnits, HInstance)

}  // namespace

void CxgridpopupmenuconstsInitialization() noexcept { CxgridpopupmenuconstsInitCount.Enter(); }
void CxgridpopupmenuconstsFinalization() noexcept { CxgridpopupmenuconstsInitCount.Leave(); }

}  // namespace suite
