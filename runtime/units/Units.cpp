#include "runtime/units/Units.h"

#include <cstdio>
#include <exception>
#include <stdexcept>

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

constinit UnitTrace* ActiveTrace = nullptr;

void Trace(std::string_view library, const UnitEntry& unit, bool initialization) noexcept {
  if (ActiveTrace == nullptr) return;
  try {
    ActiveTrace->Record({std::string(library), unit.name != nullptr ? unit.name : "", initialization});
  } catch (...) {
    // Out of memory while tracing: the event goes unrecorded.
  }
}

}  // namespace

UnitTrace::UnitTrace(std::function<void(const UnitEvent&)> observer) : observer_(std::move(observer)) {
  if (ActiveTrace != nullptr) throw std::logic_error("a unit trace is already active");
  ActiveTrace = this;
}

UnitTrace::~UnitTrace() { ActiveTrace = nullptr; }

void UnitTrace::Record(UnitEvent event) noexcept {
  try {
    if (observer_) observer_(event);
    events_.push_back(std::move(event));
  } catch (...) {
  }
}

bool InitializeUnits(std::span<const UnitEntry> units, std::string_view library) noexcept {
  for (std::size_t i = 0; i < units.size(); ++i) {
    try {
      Trace(library, units[i], true);
      if (units[i].initialization != nullptr) units[i].initialization();
    } catch (...) {
      ReportUnitFailure("initialization", units[i].name);
      FinalizeUnits(units.first(i), library);
      return false;
    }
  }
  return true;
}

void FinalizeUnits(std::span<const UnitEntry> units, std::string_view library) noexcept {
  for (std::size_t i = units.size(); i-- > 0;) {
    try {
      Trace(library, units[i], false);
      if (units[i].finalization != nullptr) units[i].finalization();
    } catch (...) {
      ReportUnitFailure("finalization", units[i].name);
    }
  }
}

}  // namespace rtl
