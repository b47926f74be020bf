// Helpers of the localisation tests: the string data files read as they are
// written (UTF-8, TAB-separated fields, \r \n \t \\ escapes, "@include"), the
// expected name lists, the keys of the Chinese text table and the
// placeholders of a format string.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ContextStrings.h"

namespace velmora::test::loc {

struct TableRow {
  std::string unit;
  std::string key;
  std::string text;  // UTF-8, escapes resolved
};
// The Chinese text table as its data file gives it, includes expanded.
std::vector<TableRow> ReadTextTable();

// The English defaults (UTF-8) of the library's own two units, from their data files.
const std::vector<std::string>& ExtendedControlsDefaults();
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
std::vector<std::string> Placeholders(std::string_view utf8);

// Empty when the lists are equal; else what differs first.
std::string Difference(const std::vector<std::string>& expected, const std::vector<std::string>& got);

}  // namespace velmora::test::loc
