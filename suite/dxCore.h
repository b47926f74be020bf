// The resource-strings repository: products (a library's family of
// resource strings) register a callback that lists their strings by name.
// The repository calls a product's callback whenever it needs the list, and
// never again once the product is unregistered. What it offers its users is
// a translator's list of each product's strings: name, id, default text and
// the text in use.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/module/ResString.h"

namespace suite {

class TdxProductResourceStrings {
 public:
  explicit TdxProductResourceStrings(std::string name) : name_(std::move(name)) {}
  const std::string& Name() const noexcept { return name_; }
  void Add(std::string_view name, const rtl::TResStringRec* rec);

  struct Item {
    std::string name;
    const rtl::TResStringRec* rec;
  };
  const std::vector<Item>& Items() const noexcept { return items_; }

 private:
  std::string name_;
  std::vector<Item> items_;
};

// Adds every string of a product to the object it is given. Must not raise.
using TdxAddResourceStringsProc = void (*)(TdxProductResourceStrings& product);

class TdxResourceStringsRepository {
 public:
  // A second registration under a name replaces the first.
  void RegisterProduct(std::string_view productName, TdxAddResourceStringsProc proc);
  void UnRegisterProduct(std::string_view productName);

  std::vector<std::string> ProductNames() const;

  struct StringInfo {
    std::string name;
    std::uint32_t id = 0;
    rtl::AnsiString defaultText;
    rtl::AnsiString currentText;
  };
  // The product's strings in the order its callback adds them; empty for a
  // product that is not registered.
  std::vector<StringInfo> Strings(std::string_view productName) const;
  // The product's strings as its callback adds them, without their texts.
  std::vector<TdxProductResourceStrings::Item> Items(std::string_view productName) const;

 private:
  struct Product {
    std::string name;
    TdxAddResourceStringsProc proc;
  };
  std::vector<Product> products_;
};

TdxResourceStringsRepository& dxResourceStringsRepository();

}  // namespace suite
