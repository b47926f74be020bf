// How Locate compares a key with a field's value.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "runtime/db/FieldTypes.h"

namespace rtl {

enum TLocateOption : std::uint8_t { loCaseInsensitive = 1, loPartialKey = 2 };

// A set of TLocateOption: {} for none, {loCaseInsensitive, loPartialKey}.
class TLocateOptions {
 public:
  constexpr TLocateOptions() = default;
  constexpr TLocateOptions(std::initializer_list<TLocateOption> options) {
    for (TLocateOption o : options) bits_ = static_cast<std::uint8_t>(bits_ | o);
  }
  constexpr bool Contains(TLocateOption option) const noexcept { return (bits_ & option) != 0; }

 private:
  std::uint8_t bits_ = 0;
};

// True when a stored value of a field of type matches the key's text:
// - Null never matches;
// - text compares byte by byte with the key, whole and case-sensitive unless
//   the options say otherwise (case folding covers ASCII letters only and
//   never the second byte of a double-byte character);
// - a number matches when the key reads as a number of the same value (see
//   ParseDecimal: "05" and "5.0" both match 5); a key that is not a number
//   matches nothing;
// - a Boolean matches True or False, ignoring case.
// The options apply to text fields only.
bool KeyMatches(const Variant& stored, TFieldType type, std::string_view key, TLocateOptions options);

}  // namespace rtl
