// Unit initialisation and finalisation. A library hands the runtime its
// table of units in link order (each unit after the units it uses); the
// runtime initialises them in that order at load and finalises them in the
// reverse order at unload. Each unit guards itself with a UnitCounter, so
// only its first initialisation within a load does work, and only the
// finalisation that brings the counter back does.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rtl {

class UnitCounter {
 public:
  // True for the initialisation that should act (the counter goes 0 -> -1).
  bool Enter() noexcept { return --count_ == -1; }
  // True for the finalisation that should act (the counter returns to 0).
  bool Leave() noexcept { return ++count_ == 0; }
  int Value() const noexcept { return count_; }

 private:
  int count_ = 0;
};

struct UnitEntry {
  const char* name;
  void (*initialization)();
  void (*finalization)();
};

// Runs the initialisations in order. When one raises, the units already
// initialised are finalised in reverse and false is returned; no exception
// leaves this call (it runs inside the system loader). library names the
// units' library in a UnitTrace.
bool InitializeUnits(std::span<const UnitEntry> units, std::string_view library = {}) noexcept;

// Runs the finalisations in reverse order; a raising unit does not stop the rest.
void FinalizeUnits(std::span<const UnitEntry> units, std::string_view library = {}) noexcept;

struct UnitEvent {
  std::string library;
  std::string unit;
  bool initialization = true;  // else finalisation
  bool operator==(const UnitEvent&) const = default;
};

// Records, while it lives, every unit initialisation and finalisation the
// runtime starts, in order, so the start-up order of a library can be seen.
// The observer, when given, runs just before each unit's routine. One trace
// at a time; a second one raises std::logic_error.
class UnitTrace {
 public:
  explicit UnitTrace(std::function<void(const UnitEvent&)> observer = {});
  ~UnitTrace();
  UnitTrace(const UnitTrace&) = delete;
  UnitTrace& operator=(const UnitTrace&) = delete;

  const std::vector<UnitEvent>& Events() const noexcept { return events_; }
  void Record(UnitEvent event) noexcept;

 private:
  std::function<void(const UnitEvent&)> observer_;
  std::vector<UnitEvent> events_;
};

}  // namespace rtl

namespace rtl {
// The initialisation and finalisation of a unit that has no work of its own:
// they only keep its counter.
template <UnitCounter& counter>
void CountOnlyInitialization() noexcept {
  counter.Enter();
}
template <UnitCounter& counter>
void CountOnlyFinalization() noexcept {
  counter.Leave();
}
// The table entry of such a unit.
template <UnitCounter& counter>
constexpr UnitEntry CountOnlyUnit(const char* name) {
  return {name, &CountOnlyInitialization<counter>, &CountOnlyFinalization<counter>};
}
}  // namespace rtl
