#include "runtime/module/ResString.h"

#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace rtl {

AnsiString LoadResString(const TResStringRec* rec) {
  if (rec == nullptr || rec->Module == nullptr || *rec->Module == nullptr) {
    throw EResNotFound("Resource string of an unloaded module");
  }
  const std::uint32_t id = rec->Identifier;
  const auto block = LoadResource(*rec->Module, RT_STRING, id / 16 + 1);
  std::size_t at = 0;
  for (std::uint32_t index = 0;; ++index) {
    if (at + 2 > block.size()) throw EResNotFound("Resource string " + std::to_string(id) + " not found");
    const std::size_t length = static_cast<std::size_t>(block[at] | block[at + 1] << 8);
    at += 2;
    if (length > (block.size() - at) / 2) throw EResNotFound("Malformed string table");
    if (index == id % 16) {
      WideString text(length, u'\0');
      for (std::size_t i = 0; i < length; ++i) {
        text[i] = static_cast<char16_t>(block[at + 2 * i] | block[at + 2 * i + 1] << 8);
      }
      return WideToGbk(text);
    }
    at += length * 2;
  }
}

}  // namespace rtl
