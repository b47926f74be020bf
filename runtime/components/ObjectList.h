// A list of objects that, when it owns them, destroys them with itself.
#pragma once

#include <vector>

#include "runtime/components/Component.h"

namespace rtl {

class TObjectList : public TObject {
 public:
  explicit TObjectList(bool ownsObjects = true) : ownsObjects_(ownsObjects) {}
  ~TObjectList() override { Clear(); }
  const char* ClassName() const noexcept override { return "TObjectList"; }

  std::size_t Add(TObject* object) {
    items_.push_back(object);
    return items_.size() - 1;
  }
  std::size_t Count() const noexcept { return items_.size(); }
  TObject* Items(std::size_t index) const { return items_.at(index); }

  // Empties the list, destroying owned entries; each is taken off the list
  // before it is destroyed, since its destructor may reach the list.
  void Clear() {
    while (!items_.empty()) {
      TObject* object = items_.back();
      items_.pop_back();
      if (ownsObjects_) Free(object);
    }
  }

 private:
  bool ownsObjects_;
  std::vector<TObject*> items_;
};

}  // namespace rtl
