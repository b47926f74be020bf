#include "suite/cxClasses.h"

#include <map>
#include <string>
#include <unordered_map>

#include "runtime/except/Exceptions.h"
#include "runtime/units/NoDestructor.h"

namespace suite {
namespace {

// The replaced texts of one module's strings, by id.
using ModuleTexts = std::unordered_map<std::uint32_t, rtl::AnsiString>;

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

const rtl::TLibModule& ModuleOf(const rtl::TResStringRec* rec) {
  if (rec == nullptr || rec->Module == nullptr || *rec->Module == nullptr) {
    throw rtl::EResNotFound("Resource string of an unloaded module");
  }
  return **rec->Module;
}

}  // namespace

void cxSetResourceString(const rtl::TResStringRec* rec, const rtl::AnsiString& text) {
  Table().Get(ModuleOf(rec)).insert_or_assign(rec->Identifier, text);
}

rtl::AnsiString cxGetResourceString(const rtl::TResStringRec* rec) {
  if (const ModuleTexts* texts = Table().Find(ModuleOf(rec))) {
    const auto it = texts->find(rec->Identifier);
    if (it != texts->end()) return it->second;
  }
  return rtl::LoadResString(rec);
}

bool cxHasResourceString(const rtl::TResStringRec* rec) {
  const ModuleTexts* texts = Table().Find(ModuleOf(rec));
  return texts != nullptr && texts->contains(rec->Identifier);
}

}  // namespace suite
