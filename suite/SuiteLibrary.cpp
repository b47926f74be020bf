// The suite library's load and unload: its module record (for its string
// tables) and its units, in link order.
#include "suite/SuiteLibrary.h"

#include <span>

#include "SuiteStrings.h"
#include "runtime/plugin/PluginLibrary.h"

rtl::ResourceSource SuiteResources();

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

const rtl::UnitEntry kUnits[] = {
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

__attribute__((constructor)) void LibraryLoad() { Library.Load("velmora_suite", SuiteResources(), kUnits, HInstance); }

__attribute__((destructor)) void LibraryUnload() { Library.Unload(HInstance); }

}  // namespace

void CxgridpopupmenuconstsInitialization() noexcept { CxgridpopupmenuconstsInitCount.Enter(); }
void CxgridpopupmenuconstsFinalization() noexcept { CxgridpopupmenuconstsInitCount.Leave(); }

}  // namespace suite
