// The translator's list: every resource string the suite knows of, with
// its unit, name, id, default text and the text in use. It takes the string
// units that each loaded module lists in its resource STRINGUNITS (the
// suite's own units first, since the suite is loaded before the libraries
// that use it), then the strings of every registered product that no
// listing holds, under the product's name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/module/Module.h"
#include "runtime/text/Text.h"

namespace suite {

struct TranslatorString {
  std::string unit;
  std::string name;          // empty for a string that has no name
  std::size_t position = 0;  // in its unit, from 1
  std::uint32_t id = 0;
  rtl::AnsiString defaultText;
  rtl::AnsiString currentText;
};

struct StringUnitEntry {
  std::string unit;
  std::string name;
  std::uint32_t id = 0;
};

// Parses a STRINGUNITS listing: lines "unit<TAB>name<TAB>id". Raises
// EResNotFound for a malformed line.
std::vector<StringUnitEntry> ParseStringUnits(std::string_view listing);

// The list as it stands now. Raises EResNotFound when a module's listing or
// string table is malformed.
std::vector<TranslatorString> TranslatorList();

}  // namespace suite
