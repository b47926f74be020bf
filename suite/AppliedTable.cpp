#include "suite/AppliedTable.h"

#include <cstring>

namespace suite {
namespace {

const rtl::TLibModule* ModuleOf(const rtl::TResStringRec& rec) { return rec.Module != nullptr ? *rec.Module : nullptr; }

}  // namespace

bool AppliedTable::Keep(std::span<const rtl::TResStringRec> records, Unit& unit) {
  const rtl::HINST* handle = records.front().Module;
  if (ModuleOf(records.front()) == nullptr) return false;
  unit.module = (*handle)->Name();
  unit.ids.reserve(records.size());
  for (const rtl::TResStringRec& rec : records) {
    if (rec.Module != handle) return false;
    unit.ids.push_back(rec.Identifier);
  }
  return true;
}

bool AppliedTable::Same(Units units, Entries entries, std::string_view texts) const {
  if (!kept_ || units.size() != units_.size() || entries.size() != entries_.size() || texts != texts_) return false;
  for (std::size_t u = 0; u < units.size(); ++u) {
    const std::span<const rtl::TResStringRec> records = units[u];
    const Unit& unit = units_[u];
    if (records.size() != unit.ids.size()) return false;
    if (records.empty()) continue;
    const rtl::HINST* handle = records.front().Module;
    const rtl::TLibModule* module = ModuleOf(records.front());
    if (module == nullptr || module->Name() != unit.module || unit.texts->Changes() != unit.changes) return false;
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (records[i].Module != handle || records[i].Identifier != unit.ids[i]) return false;
    }
  }
  return entries.empty() || std::memcmp(entries.data(), entries_.data(), entries.size_bytes()) == 0;
}

}  // namespace suite
