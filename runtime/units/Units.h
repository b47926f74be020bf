// Unit initialisation and finalisation. A library hands the runtime its
// table of units in link order (each unit after the units it uses); the
// runtime initialises them in that order at load and finalises them in the
// reverse order at unload. Each unit guards itself with a UnitCounter, so
// only its first initialisation within a load does work, and only the
// finalisation that brings the counter back does.
#pragma once

#include <cstddef>
#include <span>

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
// leaves this call (it runs inside the system loader).
bool InitializeUnits(std::span<const UnitEntry> units) noexcept;

// Runs the finalisations in reverse order; a raising unit does not stop the rest.
void FinalizeUnits(std::span<const UnitEntry> units) noexcept;

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
