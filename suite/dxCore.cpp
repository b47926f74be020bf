#include "suite/dxCore.h"

#include <algorithm>

#include "runtime/units/NoDestructor.h"
#include "suite/cxClasses.h"

namespace suite {

void TdxProductResourceStrings::Add(std::string_view name, const rtl::TResStringRec* rec) {
  items_.push_back({std::string(name), rec});
}

void TdxResourceStringsRepository::RegisterProduct(std::string_view productName, TdxAddResourceStringsProc proc) {
  UnRegisterProduct(productName);
  products_.push_back({std::string(productName), proc});
}

void TdxResourceStringsRepository::UnRegisterProduct(std::string_view productName) {
  std::erase_if(products_, [&](const Product& p) { return p.name == productName; });
}

std::vector<std::string> TdxResourceStringsRepository::ProductNames() const {
  std::vector<std::string> names;
  for (const Product& p : products_) names.push_back(p.name);
  return names;
}

std::vector<TdxProductResourceStrings::Item> TdxResourceStringsRepository::Items(std::string_view productName) const {
  const auto it =
      std::find_if(products_.begin(), products_.end(), [&](const Product& p) { return p.name == productName; });
  if (it == products_.end() || it->proc == nullptr) return {};
  TdxProductResourceStrings product(it->name);
  it->proc(product);
  return product.Items();
}

std::vector<TdxResourceStringsRepository::StringInfo> TdxResourceStringsRepository::Strings(
    std::string_view productName) const {
  std::vector<StringInfo> strings;
  for (const auto& item : Items(productName)) {
    strings.push_back({item.name, item.rec->Identifier, rtl::LoadResString(item.rec), cxGetResourceString(item.rec)});
  }
  return strings;
}

TdxResourceStringsRepository& dxResourceStringsRepository() {
  // Never destroyed: the libraries' unload code unregisters their products,
  // also when the process exits with them loaded.
  static rtl::NoDestructor<TdxResourceStringsRepository> repository;
  return *repository;
}

}  // namespace suite
