#include "runtime/units/Units.h"

#include <cstdio>
#include <exception>

namespace rtl {
namespace {

void ReportUnitFailure(const char* phase, const char* unit) noexcept {
  const char* reason = "unknown exception";
  try {
    throw;
  } catch (const std::exception& e) {
    reason = e.what();
  } catch (...) {
  }
  std::fprintf(stderr, "unit %s of %s failed: %s\n", phase, unit, reason);
}

}  // namespace

bool InitializeUnits(std::span<const UnitEntry> units) noexcept {
  for (std::size_t i = 0; i < units.size(); ++i) {
    try {
      if (units[i].initialization != nullptr) units[i].initialization();
    } catch (...) {
      ReportUnitFailure("initialization", units[i].name);
      FinalizeUnits(units.first(i));
      return false;
    }
  }
  return true;
}

void FinalizeUnits(std::span<const UnitEntry> units) noexcept {
  for (std::size_t i = units.size(); i-- > 0;) {
    try {
      if (units[i].finalization != nullptr) units[i].finalization();
    } catch (...) {
      ReportUnitFailure("finalization", units[i].name);
    }
  }
}

}  // namespace rtl
