// Locate's comparison of a key text with a stored value.
#include "runtime/db/KeyMatch.h"

#include "runtime/text/Gbk.h"

namespace rtl {
namespace {

AnsiString FoldAsciiCase(std::string_view text) {
  AnsiString folded(text);
  for (std::size_t i = 0; i < folded.size();) {
    const std::size_t length = GbkCharLength(folded, i);
    if (length == 2) {
      i += 2;
      continue;
    }
    folded[i] = UpCase(folded[i]);
    ++i;
  }
  return folded;
}

}  // namespace

bool KeyMatches(const Variant& stored, TFieldType type, std::string_view key, TLocateOptions options) {
  if (stored.IsNull()) return false;
  switch (type) {
    case ftString: {
      AnsiString value = stored.AsString();
      AnsiString wanted(key);
      if (options.Contains(loCaseInsensitive)) {
        value = FoldAsciiCase(value);
        wanted = FoldAsciiCase(wanted);
      }
      return options.Contains(loPartialKey) ? value.starts_with(wanted) : value == wanted;
    }
    case ftBoolean: return SameText(stored.AsString(), key);
    case ftInteger:
    case ftLargeint:
    case ftFloat: {
      const auto number = NumberOf(stored);
      const auto wanted = ParseDecimal(key);
      return number && wanted && std::is_eq(CompareDecimals(*number, *wanted));
    }
  }
  return false;
}

}  // namespace rtl
