// The replaced texts of one module's strings, by id. Ids are dealt out in
// blocks, so the texts are kept in pages of 256 consecutive ids, each made
// when first used: a library that sets its whole table again at every load
// finds each text's place by indexing, and reuses its storage.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "runtime/text/Text.h"

namespace suite {

class ModuleTexts {
 public:
  void Set(std::uint32_t id, std::string_view text) {
    Page& page = lastPage_ != nullptr && id >> kPageBits == lastNumber_ ? *lastPage_ : PageOf(id);
    const std::uint32_t slot = id & (kPageSize - 1);
    // A library loaded again sets the same texts again: nothing to copy then.
    if (!page.set.test(slot) || std::string_view(page.texts[slot]) != text) Store(page, slot, text);
  }
  // The replacement of id, or nullptr.
  const rtl::AnsiString* Find(std::uint32_t id) const;
  // How many times a text was stored: unchanged, every text is as it was.
  std::uint64_t Changes() const noexcept { return changes_; }

 private:
  static constexpr std::uint32_t kPageBits = 8;
  static constexpr std::uint32_t kPageSize = 1u << kPageBits;
  struct Page {
    std::array<rtl::AnsiString, kPageSize> texts;
    std::bitset<kPageSize> set;
  };
  Page& PageOf(std::uint32_t id);
  void Store(Page& page, std::uint32_t slot, std::string_view text);

  std::unordered_map<std::uint32_t, std::unique_ptr<Page>> pages_;
  // Consecutive ids mostly share a page.
  std::uint32_t lastNumber_ = 0;
  Page* lastPage_ = nullptr;
  std::uint64_t changes_ = 0;
};

}  // namespace suite
