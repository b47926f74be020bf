#include "host/loader/Edition.h"

#include <string>

#include "host/loader/LoadedModule.h"

namespace host {

Edition DetectEdition(const rtl::ResourceDirectory& resources) {
  const rtl::ResourceEntry* mark = resources.Find(rtl::RT_RCDATA, velmora::EditionResource);
  if (mark == nullptr || mark->data.size() != 4) throw LoadError("the library does not say which edition it is");
  const auto& b = mark->data;
  const auto kind =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
                                static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
  if (kind == velmora::ContextDisplayKind) return Edition::Context;
  if (kind == velmora::AutomationDisplayKind) return Edition::Automation;
  throw LoadError("the library is of an edition this host does not know (display kind " + std::to_string(kind) + ")");
}

const char* EditionName(Edition edition) { return edition == Edition::Context ? "context" : "automation"; }

}  // namespace host
