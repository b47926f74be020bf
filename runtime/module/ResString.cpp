#include "runtime/module/ResString.h"

#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace rtl {

AnsiString LoadResString(const TResStringRec* rec) {
  if (rec == nullptr || rec->Module == nullptr || *rec->Module == nullptr) {
    throw EResNotFound("Resource string of an unloaded module");
  }
  const std::uint32_t id = rec->Identifier;
  const std::optional<WideString> text = (*rec->Module)->StringResource(id);
  if (!text) throw EResNotFound("Resource string " + std::to_string(id) + " not found");
  return WideToGbk(*text);
}

}  // namespace rtl
