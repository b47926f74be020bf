#include "suite/ModuleTexts.h"

namespace suite {

ModuleTexts::Page& ModuleTexts::PageOf(std::uint32_t id) {
  const std::uint32_t number = id >> kPageBits;
  std::unique_ptr<Page>& page = pages_[number];
  if (page == nullptr) page = std::make_unique<Page>();
  lastNumber_ = number;
  lastPage_ = page.get();
  return *lastPage_;
}

void ModuleTexts::Store(Page& page, std::uint32_t slot, std::string_view text) {
  page.texts[slot].assign(text);
  page.set.set(slot);
  ++changes_;
}

const rtl::AnsiString* ModuleTexts::Find(std::uint32_t id) const {
  const auto it = pages_.find(id >> kPageBits);
  if (it == pages_.end()) return nullptr;
  const std::uint32_t slot = id & (kPageSize - 1);
  return it->second->set.test(slot) ? &it->second->texts[slot] : nullptr;
}

}  // namespace suite
