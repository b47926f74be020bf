// The whole table of replacements applied last, kept so that the same table
// applied again, as every load of a library does, is known without setting
// each of its texts again. It is the same when its entries and texts are
// equal, every unit names the same module and ids, and no text of those
// modules was stored since: setting its texts again would change nothing.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/module/ResString.h"
#include "suite/ModuleTexts.h"
#include "suite/cxClasses.h"

namespace suite {

class AppliedTable {
 public:
  using Units = std::span<const std::span<const rtl::TResStringRec>>;
  using Entries = std::span<const cxResourceStringTableEntry>;

  bool Same(Units units, Entries entries, std::string_view texts) const;
  // Remembers a table just applied; textsOf gives the texts of a unit's
  // module. A unit whose records name more than one module is not kept.
  template <class TextsOf>
  void Remember(Units units, Entries entries, std::string_view texts, TextsOf&& textsOf) {
    Forget();
    std::vector<Unit> kept;
    for (const std::span<const rtl::TResStringRec> records : units) {
      Unit unit;
      if (!records.empty()) {
        if (!Keep(records, unit)) return;
        unit.texts = &textsOf(records.front());
        unit.changes = unit.texts->Changes();
      }
      kept.push_back(std::move(unit));
    }
    units_ = std::move(kept);
    entries_.assign(entries.begin(), entries.end());
    texts_.assign(texts);
    kept_ = true;
  }
  void Forget() noexcept { kept_ = false; }

 private:
  struct Unit {
    std::string module;
    std::vector<std::uint32_t> ids;
    const ModuleTexts* texts = nullptr;
    std::uint64_t changes = 0;
  };
  static bool Keep(std::span<const rtl::TResStringRec> records, Unit& unit);

  bool kept_ = false;
  std::vector<Unit> units_;
  std::vector<cxResourceStringTableEntry> entries_;
  std::string texts_;
};

}  // namespace suite
