#include "context/dxPSRes.h"

#include "suite/dxCore.h"

namespace context {
namespace {

constinit rtl::UnitCounter InitCount;

// Adds every name with its record, in declaration order. Runs whenever the
// repository asks; nothing may leave it.
void AddResourceStrings(suite::TdxProductResourceStrings& product) {
  try {
    const std::span<const rtl::TResStringRec, dxPSRes::Count> records = dxPSRes::Strings();
    for (std::size_t i = 0; i < dxPSRes::Count; ++i) {
      const char* name = dxPSRes::NameBlob + dxPSRes::NameOffsets[i];
      product.Add(std::string_view(name, dxPSRes::NameOffsets[i + 1] - dxPSRes::NameOffsets[i] - 1), &records[i]);
    }
  } catch (...) {
    // Out of memory while listing: the repository gets what was added.
  }
}

}  // namespace

void dxPSResInitialization() {
  if (!InitCount.Enter()) return;
  suite::dxResourceStringsRepository().RegisterProduct(PrintingSystemProduct, &AddResourceStrings);
}

void dxPSResFinalization() {
  if (!InitCount.Leave()) return;
  suite::dxResourceStringsRepository().UnRegisterProduct(PrintingSystemProduct);
}

}  // namespace context
