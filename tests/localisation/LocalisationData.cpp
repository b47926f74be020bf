#include "tests/localisation/LocalisationData.h"

#include <fstream>
#include <stdexcept>

#include "runtime/text/Gbk.h"

namespace velmora::test::loc {
namespace {

using Fields = std::vector<std::string>;

Fields Split(const std::string& line) {
  Fields fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

void ReadLines(const std::filesystem::path& file, std::vector<Fields>& out) {
  std::ifstream in(file);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line.starts_with("@include ")) {
      ReadLines(file.parent_path() / line.substr(9), out);
      continue;
    }
    out.push_back(Split(line));
  }
}

std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (text[++i]) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      default: out += text[i]; break;
    }
  }
  return out;
}

std::vector<Fields> Lines(const std::filesystem::path& file, std::size_t fieldCount) {
  std::vector<Fields> lines;
  ReadLines(file, lines);
  for (const Fields& f : lines) {
    if (f.size() != fieldCount) throw std::runtime_error("malformed line in " + file.string());
  }
  return lines;
}

// The names of a suite unit's strings, by index.
const std::vector<std::string>& SuiteNames(std::string_view unit) {
  static std::map<std::string, std::vector<std::string>, std::less<>> cache;
  auto it = cache.find(unit);
  if (it == cache.end()) {
    std::vector<std::string> names;
    for (const NamedText& s : ReadNamedUnit(SourceFile("suite/strings/" + std::string(unit) + ".txt"))) {
      names.push_back(s.name);
    }
    it = cache.emplace(std::string(unit), std::move(names)).first;
  }
  return it->second;
}

bool IsFormatLetter(char c) {
  return std::string_view("dusxefgnmpDUSXEFGNMP").find(c) != std::string_view::npos;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::filesystem::path SourceFile(std::string_view relative) {
  return std::filesystem::path(VELMORA_SOURCE_DIR) / relative;
}

std::vector<NamedText> ReadNamedUnit(const std::filesystem::path& file) {
  std::vector<NamedText> unit;
  for (const Fields& f : Lines(file, 2)) unit.push_back({f[0], Unescape(f[1])});
  return unit;
}

std::vector<std::string> ReadUnnamedUnit(const std::filesystem::path& file) {
  std::vector<std::string> unit;
  for (const Fields& f : Lines(file, 1)) unit.push_back(Unescape(f[0]));
  return unit;
}

std::vector<TableRow> ReadTextTable() {
  std::vector<TableRow> table;
  for (const Fields& f : Lines(SourceFile("context/strings/DevStrConvert.txt"), 3)) {
    table.push_back({f[0], f[1], Unescape(f[2])});
  }
  return table;
}

const std::vector<std::string>& ExtendedControlsDefaults() {
  static const std::vector<std::string> defaults = ReadUnnamedUnit(SourceFile("context/strings/dxExtCtrlsStrs.txt"));
  return defaults;
}

const std::map<std::string, std::string>& PrintingSystemDefaults() {
  static const std::map<std::string, std::string> defaults = [] {
    std::map<std::string, std::string> m;
    for (NamedText& s : ReadNamedUnit(SourceFile("context/strings/dxPSRes.txt"))) m.emplace(s.name, s.text);
    return m;
  }();
  return defaults;
}

const std::vector<std::string>& ExpectedNames(std::string_view list) {
  static const std::map<std::string, std::vector<std::string>, std::less<>> lists = [] {
    std::map<std::string, std::vector<std::string>, std::less<>> m;
    for (const Fields& f : Lines(SourceFile("tests/localisation/expected_names.txt"), 2)) m[f[0]].push_back(f[1]);
    return m;
  }();
  static const std::vector<std::string> none;
  const auto it = lists.find(list);
  return it == lists.end() ? none : it->second;
}

std::string_view EntryUnit(const context::ChineseTexts::Entry& entry) {
  return context::ChineseTexts::UnitNames[entry.unit];
}

std::string EntryKey(const context::ChineseTexts::Entry& entry) {
  const std::string_view unit = EntryUnit(entry);
  if (unit == "dxExtCtrlsStrs") return std::to_string(entry.index + 1);
  if (unit == "dxPSRes") return context::dxPSRes::NameBlob + context::dxPSRes::NameOffsets[entry.index];
  const std::vector<std::string>& names = SuiteNames(unit);
  return entry.index < names.size() ? names[entry.index] : "<index " + std::to_string(entry.index) + ">";
}

std::string_view EntryText(const context::ChineseTexts::Entry& entry) {
  return std::string_view(context::ChineseTexts::Texts + entry.textOffset, entry.textLength);
}

std::vector<std::string> Placeholders(std::string_view text) {
  std::vector<std::string> found;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    std::size_t at = i + 1;
    if (at < text.size() && text[at] == '%') {
      found.emplace_back("%%");
      i = at;
      continue;
    }
    // [index ":"] ["-"] [width] ["." precision] letter, or a bare index.
    std::size_t digitsEnd = at;
    while (digitsEnd < text.size() && IsDigit(text[digitsEnd])) ++digitsEnd;
    if (digitsEnd > at && digitsEnd < text.size() && text[digitsEnd] == ':') at = digitsEnd + 1;
    if (at < text.size() && text[at] == '-') ++at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at < text.size() && text[at] == '.') {
      ++at;
      while (at < text.size() && IsDigit(text[at])) ++at;
    }
    if (at < text.size() && IsFormatLetter(text[at])) {
      found.emplace_back(text.substr(i, at + 1 - i));
      i = at;
    } else if (digitsEnd > i + 1) {
      found.emplace_back(text.substr(i, digitsEnd - i));
      i = digitsEnd - 1;
    }
  }
  return found;
}

std::map<std::uint32_t, std::u16string> ParseStringBlock(std::uint32_t block, std::span<const std::uint8_t> data,
                                                         std::string& error) {
  std::map<std::uint32_t, std::u16string> strings;
  std::size_t at = 0;
  for (std::uint32_t index = 0; index < 16; ++index) {
    if (at + 2 > data.size()) {
      error = "block " + std::to_string(block) + " ends after " + std::to_string(index) + " strings";
      return strings;
    }
    const std::size_t length = static_cast<std::size_t>(data[at] | data[at + 1] << 8);
    at += 2;
    if (length > (data.size() - at) / 2) {
      error = "block " + std::to_string(block) + ": string " + std::to_string(index) + " runs past the block";
      return strings;
    }
    std::u16string text(length, u'\0');
    for (std::size_t i = 0; i < length; ++i) {
      text[i] = static_cast<char16_t>(data[at + 2 * i] | data[at + 2 * i + 1] << 8);
    }
    at += 2 * length;
    strings.emplace((block - 1) * 16 + index, std::move(text));
  }
  if (at != data.size()) error = "block " + std::to_string(block) + " has bytes after its sixteen strings";
  return strings;
}

std::string Difference(const std::vector<std::string>& expected, const std::vector<std::string>& got) {
  for (std::size_t i = 0; i < expected.size() && i < got.size(); ++i) {
    if (expected[i] != got[i]) {
      return "at position " + std::to_string(i + 1) + " expected " + expected[i] + ", got " + got[i];
    }
  }
  if (expected.size() != got.size()) {
    return "expected " + std::to_string(expected.size()) + " names, got " + std::to_string(got.size());
  }
  return {};
}

std::string Show(std::string_view gbk) {
  std::string shown(1, '"');
  shown.append(rtl::GbkToUtf8Display(gbk));
  shown.push_back('"');
  return shown;
}

}  // namespace velmora::test::loc
