// Helpers of the localisation tests: the strings whose ids and texts are
// written out, the English defaults of the printing system's data file, the
// expected name lists, the keys of the Chinese text table and the
// placeholders of a format string. Files are UTF-8 with TAB-separated fields.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ContextStrings.h"

namespace velmora::test::loc {

// The strings whose ids and texts are written out (given_strings.txt), UTF-8.
struct GivenPrintingString {
  std::size_t position;  // in the order the product lists them, from 1
  std::string name;
  std::uint32_t id;
  std::string text;  // English default
};
struct GivenExtendedString {
  std::size_t position;  // in declaration order, from 1
  std::uint32_t id;
  std::string text;     // English default
  std::string chinese;  // the text table's text
};
const std::vector<GivenPrintingString>& GivenPrintingStrings();
const std::vector<GivenExtendedString>& GivenExtendedStrings();

// The English defaults (UTF-8) of the printing system, from its data file.
const std::map<std::string, std::string>& PrintingSystemDefaults();

// A list of expected_names.txt (a unit's keys of the text table, "dxPSRes",
// "unchanged"), in file order.
const std::vector<std::string>& ExpectedNames(std::string_view list);

// The unit name, key and text (GBK) of an entry of the generated table;
// strings of the extended controls are keyed by 1-based position.
std::string_view EntryUnit(const context::ChineseTexts::Entry& entry);
std::string EntryKey(const context::ChineseTexts::Entry& entry);
std::string_view EntryText(const context::ChineseTexts::Entry& entry);

// The placeholders of a format string in order: "%%", "%s", "%d", "%0:s",
// "%1" and the like. A "%" followed by nothing that makes a format is text.
std::vector<std::string> Placeholders(std::string_view text);

// Empty when the lists are equal; else what differs first.
std::string Difference(const std::vector<std::string>& expected, const std::vector<std::string>& got);

}  // namespace velmora::test::loc
