// Replacing the suite's resource strings. From cxSetResourceString on, the
// suite uses the given text wherever it would have used the string's own;
// it keeps a copy of the text, so a replacement outlives the library that
// set it. Strings are known by their module's file and their id, so a
// library loaded again finds its replacements again.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

#include "runtime/module/ResString.h"

namespace suite {

void cxSetResourceString(const rtl::TResStringRec* rec, std::string_view text);

// One entry of a table of replacements: the string units[unit][index] gets
// the text at [textOffset, textOffset + textLength) of the table's texts.
struct cxResourceStringTableEntry {
  std::uint16_t unit;
  std::uint16_t index;
  std::uint32_t textOffset;
  std::uint32_t textLength;
};
// No padding: tables compare as bytes.
static_assert(std::has_unique_object_representations_v<cxResourceStringTableEntry>);

// A whole table in one call, with the effect of cxSetResourceString for
// each entry in table order (a string named twice ends with its later text).
// Raises EResNotFound at an entry outside units or texts, the entries
// before it applied.
void cxSetResourceStringTable(std::span<const std::span<const rtl::TResStringRec>> units,
                              std::span<const cxResourceStringTableEntry> entries, std::string_view texts);

// The text the suite uses for the string: its replacement, or its default.
rtl::AnsiString cxGetResourceString(const rtl::TResStringRec* rec);

// Whether the string has a replacement.
bool cxHasResourceString(const rtl::TResStringRec* rec);

}  // namespace suite
