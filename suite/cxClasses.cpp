#include "suite/cxClasses.h"

#include <map>
#include <string>
#include <utility>

#include "runtime/except/Exceptions.h"

namespace suite {
namespace {

using Key = std::pair<std::string, std::uint32_t>;

// The suite's table of replaced texts: module-wide state of the suite.
std::map<Key, rtl::AnsiString>& Replacements() {
  static std::map<Key, rtl::AnsiString> replacements;
  return replacements;
}

Key KeyOf(const rtl::TResStringRec* rec) {
  if (rec == nullptr || rec->Module == nullptr || *rec->Module == nullptr) {
    throw rtl::EResNotFound("Resource string of an unloaded module");
  }
  return {(*rec->Module)->Name(), rec->Identifier};
}

}  // namespace

void cxSetResourceString(const rtl::TResStringRec* rec, const rtl::AnsiString& text) {
  Replacements().insert_or_assign(KeyOf(rec), text);
}

rtl::AnsiString cxGetResourceString(const rtl::TResStringRec* rec) {
  const auto it = Replacements().find(KeyOf(rec));
  return it != Replacements().end() ? it->second : rtl::LoadResString(rec);
}

bool cxHasResourceString(const rtl::TResStringRec* rec) { return Replacements().contains(KeyOf(rec)); }

}  // namespace suite
