// The suite library's units. The plug-ins that link a suite unit into their
// own start-up order run its initialisation and finalisation through these;
// its counter makes only the first initialisation in a load act.
#pragma once

namespace suite {

void CxgridpopupmenuconstsInitialization() noexcept;
void CxgridpopupmenuconstsFinalization() noexcept;

}  // namespace suite
