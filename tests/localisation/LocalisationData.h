// Helpers of the localisation tests: the string data files read as they are
// written (UTF-8, TAB-separated fields, \r \n \t \\ escapes, "@include"), the
// expected name lists, the keys of the Chinese text table, the placeholders of
// a format string, and the blocks of a string-table resource.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ContextStrings.h"

namespace velmora::test::loc {

// A file of the source tree, by its path relative to the project's root.
std::filesystem::path SourceFile(std::string_view relative);

struct NamedText {
  std::string name;
  std::string text;  // UTF-8, escapes resolved
};
// A unit of named strings ("name<TAB>default" lines).
std::vector<NamedText> ReadNamedUnit(const std::filesystem::path& file);
// A unit of unnamed strings (one default per line).
std::vector<std::string> ReadUnnamedUnit(const std::filesystem::path& file);

struct TableRow {
  std::string unit;
  std::string key;
  std::string text;  // UTF-8, escapes resolved
};
// The Chinese text table as its data file gives it, includes expanded.
std::vector<TableRow> ReadTextTable();

// The English defaults of the library's own two units, from their data files.
const std::vector<std::string>& ExtendedControlsDefaults();
const std::map<std::string, std::string>& PrintingSystemDefaults();

// A list of expected_names.txt (a unit's keys of the text table, "dxPSRes",
// "unchanged"), in file order.
const std::vector<std::string>& ExpectedNames(std::string_view list);

// The unit name and key of an entry of the generated text table; strings of
// the extended controls have no names and are keyed by 1-based position.
std::string_view EntryUnit(const context::ChineseTexts::Entry& entry);
std::string EntryKey(const context::ChineseTexts::Entry& entry);
// The entry's text, GBK.
std::string_view EntryText(const context::ChineseTexts::Entry& entry);

// The placeholders of a format string in order: "%%", "%s", "%d", "%0:s",
// "%1" and the like. A "%" followed by nothing that makes a format is text.
std::vector<std::string> Placeholders(std::string_view utf8);

// The sixteen strings of string-table block `block` (ids 16(block-1) ...),
// by id. Sets error when the block is not exactly sixteen length-counted
// UTF-16 strings.
std::map<std::uint32_t, std::u16string> ParseStringBlock(std::uint32_t block, std::span<const std::uint8_t> data,
                                                         std::string& error);

// Empty when the lists are equal; else what differs first, as
// "expected X, got Y".
std::string Difference(const std::vector<std::string>& expected, const std::vector<std::string>& got);

// GBK text made readable for a failure message: quoted UTF-8.
std::string Show(std::string_view gbk);

}  // namespace velmora::test::loc
