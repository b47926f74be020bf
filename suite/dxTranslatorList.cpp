#include "suite/dxTranslatorList.h"

#include <charconv>
#include <set>
#include <utility>

#include "runtime/except/Exceptions.h"
#include "runtime/module/ResString.h"
#include "suite/cxClasses.h"
#include "suite/dxCore.h"

namespace suite {
namespace {

[[noreturn]] void Malformed(std::size_t line, const char* what) {
  throw rtl::EResNotFound("Malformed string-unit listing, line " + std::to_string(line) + ": " + what);
}

// A string's identity across modules: the module's file and the id.
using Key = std::pair<std::string, std::uint32_t>;

TranslatorString Describe(const rtl::TResStringRec& rec, std::string unit, std::string name, std::size_t position) {
  return {std::move(unit), std::move(name),          position,
          rec.Identifier,  rtl::LoadResString(&rec), cxGetResourceString(&rec)};
}

}  // namespace

std::vector<StringUnitEntry> ParseStringUnits(std::string_view listing) {
  std::vector<StringUnitEntry> entries;
  std::size_t number = 0;
  while (!listing.empty()) {
    ++number;
    const std::size_t end = listing.find('\n');
    if (end == std::string_view::npos) Malformed(number, "no line end");
    const std::string_view line = listing.substr(0, end);
    listing.remove_prefix(end + 1);
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos || tab1 == 0) Malformed(number, "expected unit, name and id");
    const std::string_view idText = line.substr(tab2 + 1);
    std::uint32_t id = 0;
    const auto [rest, error] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
    if (idText.empty() || error != std::errc() || rest != idText.data() + idText.size()) Malformed(number, "bad id");
    entries.push_back({std::string(line.substr(0, tab1)), std::string(line.substr(tab1 + 1, tab2 - tab1 - 1)), id});
  }
  return entries;
}

std::vector<TranslatorString> TranslatorList() {
  std::vector<TranslatorString> list;
  std::set<Key> listed;
  for (rtl::HINST module : rtl::LoadedModules()) {
    const auto resource = module->Find(rtl::RT_RCDATA, "STRINGUNITS");
    if (!resource) continue;
    const std::string_view text(reinterpret_cast<const char*>(resource->data()), resource->size());
    std::string unit;
    std::size_t position = 0;
    for (StringUnitEntry& e : ParseStringUnits(text)) {
      position = e.unit == unit ? position + 1 : 1;
      unit = e.unit;
      if (!listed.emplace(module->Name(), e.id).second) continue;
      const rtl::TResStringRec rec{&module, e.id};
      list.push_back(Describe(rec, std::move(e.unit), std::move(e.name), position));
    }
  }
  TdxResourceStringsRepository& repository = dxResourceStringsRepository();
  for (const std::string& product : repository.ProductNames()) {
    std::size_t position = 0;
    for (const TdxProductResourceStrings::Item& item : repository.Items(product)) {
      ++position;
      if (item.rec == nullptr || item.rec->Module == nullptr || *item.rec->Module == nullptr) continue;
      if (!listed.emplace((*item.rec->Module)->Name(), item.rec->Identifier).second) continue;
      list.push_back(Describe(*item.rec, product, item.name, position));
    }
  }
  return list;
}

}  // namespace suite
