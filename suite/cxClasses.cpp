#include "suite/cxClasses.h"

#include <map>
#include <string>

#include "runtime/except/Exceptions.h"
#include "runtime/units/NoDestructor.h"
#include "suite/AppliedTable.h"
#include "suite/ModuleTexts.h"

namespace suite {
namespace {

// The suite's table of replaced texts, by module file: module-wide state of
// the suite. The last module used is remembered, since a library sets its
// texts one after another.
class Replacements {
 public:
  ModuleTexts* Find(const rtl::TLibModule& module) {
    if (&module == lastModule_ && lastTexts_ != nullptr && lastName_ == module.Name()) return lastTexts_;
    const auto it = modules_.find(module.Name());
    if (it == modules_.end()) return nullptr;
    Remember(module, it->second);
    return lastTexts_;
  }
  ModuleTexts& Get(const rtl::TLibModule& module) {
    if (ModuleTexts* texts = Find(module)) return *texts;
    ModuleTexts& texts = modules_[module.Name()];
    Remember(module, texts);
    return texts;
  }

 private:
  void Remember(const rtl::TLibModule& module, ModuleTexts& texts) {
    lastModule_ = &module;
    lastName_ = module.Name();
    lastTexts_ = &texts;
  }

  // Modules are never removed, so their texts stay where they are.
  std::map<std::string, ModuleTexts, std::less<>> modules_;
  const rtl::TLibModule* lastModule_ = nullptr;
  std::string lastName_;
  ModuleTexts* lastTexts_ = nullptr;
};

// Never destroyed: libraries set and read texts while they load and unload.
Replacements& Table() {
  static rtl::NoDestructor<Replacements> table;
  return *table;
}

// Never destroyed either: it refers to the texts of the table above.
AppliedTable& LastTable() {
  static rtl::NoDestructor<AppliedTable> table;
  return *table;
}

const rtl::TLibModule& ModuleOf(const rtl::TResStringRec* rec) {
  if (rec == nullptr || rec->Module == nullptr || *rec->Module == nullptr) {
    throw rtl::EResNotFound("Resource string of an unloaded module");
  }
  return **rec->Module;
}

// Kept out of line so that the table's loop stays small.
[[gnu::noinline]] ModuleTexts& TextsOf(const rtl::TResStringRec& rec) { return Table().Get(ModuleOf(&rec)); }

}  // namespace

void cxSetResourceString(const rtl::TResStringRec* rec, std::string_view text) {
  Table().Get(ModuleOf(rec)).Set(rec->Identifier, text);
}

void cxSetResourceStringTable(std::span<const std::span<const rtl::TResStringRec>> units,
                              std::span<const cxResourceStringTableEntry> entries, std::string_view texts) {
  if (LastTable().Same(units, entries, texts)) return;
  LastTable().Forget();
  // Records of one unit share their module: it is looked up once per run.
  const rtl::HINST* module = nullptr;
  ModuleTexts* moduleTexts = nullptr;
  for (const cxResourceStringTableEntry& entry : entries) {
    if (entry.unit >= units.size() || entry.index >= units[entry.unit].size() || entry.textOffset > texts.size() ||
        entry.textLength > texts.size() - entry.textOffset) {
      throw rtl::EResNotFound("Resource string table entry out of range");
    }
    const rtl::TResStringRec& rec = units[entry.unit][entry.index];
    if (rec.Module != module || module == nullptr) {
      moduleTexts = &TextsOf(rec);
      module = rec.Module;
    }
    moduleTexts->Set(rec.Identifier, texts.substr(entry.textOffset, entry.textLength));
  }
  LastTable().Remember(units, entries, texts,
                       [](const rtl::TResStringRec& rec) -> const ModuleTexts& { return TextsOf(rec); });
}

rtl::AnsiString cxGetResourceString(const rtl::TResStringRec* rec) {
  if (const ModuleTexts* texts = Table().Find(ModuleOf(rec))) {
    if (const rtl::AnsiString* text = texts->Find(rec->Identifier)) return *text;
  }
  return rtl::LoadResString(rec);
}

bool cxHasResourceString(const rtl::TResStringRec* rec) {
  const ModuleTexts* texts = Table().Find(ModuleOf(rec));
  return texts != nullptr && texts->Find(rec->Identifier) != nullptr;
}

}  // namespace suite
