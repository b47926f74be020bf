#include "tests/localisation/LocalisationData.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace velmora::test::loc {
namespace {

using Fields = std::vector<std::string>;

std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char c = text[++i];
      out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
    } else {
      out += text[i];
    }
  }
  return out;
}

void ReadLines(const std::filesystem::path& file, std::vector<Fields>& out) {
  std::ifstream in(file);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (line.starts_with("@include ")) {
      ReadLines(file.parent_path() / line.substr(9), out);
      continue;
    }
    Fields& fields = out.emplace_back();
    for (std::size_t start = 0, tab = 0; tab != std::string::npos; start = tab + 1) {
      tab = line.find('\t', start);
      fields.push_back(Unescape(line.substr(start, tab == std::string::npos ? tab : tab - start)));
    }
  }
}

// The lines of a file of the source tree, each of fieldCount fields, escapes resolved.
std::vector<Fields> Lines(std::string_view relative, std::size_t fieldCount) {
  const std::filesystem::path file = std::filesystem::path(VELMORA_SOURCE_DIR) / relative;
  std::vector<Fields> lines;
  ReadLines(file, lines);
  for (const Fields& f : lines) {
    if (f.size() != fieldCount) throw std::runtime_error("malformed line in " + file.string());
  }
  return lines;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const std::vector<GivenPrintingString>& GivenPrintingStrings() {
  static const std::vector<GivenPrintingString> given = [] {
    std::vector<GivenPrintingString> v;
    for (const Fields& f : Lines("tests/localisation/given_strings.txt", 5)) {
      if (f[0] == "ps") v.push_back({std::stoul(f[1]), f[2], static_cast<std::uint32_t>(std::stoul(f[3])), f[4]});
    }
    return v;
  }();
  return given;
}

const std::vector<GivenExtendedString>& GivenExtendedStrings() {
  static const std::vector<GivenExtendedString> given = [] {
    std::vector<GivenExtendedString> v;
    for (const Fields& f : Lines("tests/localisation/given_strings.txt", 5)) {
      if (f[0] == "ext") v.push_back({std::stoul(f[1]), static_cast<std::uint32_t>(std::stoul(f[2])), f[3], f[4]});
    }
    return v;
  }();
  return given;
}

const std::map<std::string, std::string>& PrintingSystemDefaults() {
  static const std::map<std::string, std::string> defaults = [] {
    std::map<std::string, std::string> m;
    for (const Fields& f : Lines("context/strings/dxPSRes.txt", 2)) m.emplace(f[0], f[1]);
    return m;
  }();
  return defaults;
}

const std::vector<std::string>& ExpectedNames(std::string_view list) {
  static std::map<std::string, std::vector<std::string>, std::less<>> lists = [] {
    std::map<std::string, std::vector<std::string>, std::less<>> m;
    for (const Fields& f : Lines("tests/localisation/expected_names.txt", 2)) m[f[0]].push_back(f[1]);
    return m;
  }();
  return lists[std::string(list)];
}

std::string_view EntryUnit(const context::ChineseTexts::Entry& entry) {
  return context::ChineseTexts::UnitNames[entry.unit];
}

std::string EntryKey(const context::ChineseTexts::Entry& entry) {
  static std::map<std::string, std::vector<std::string>, std::less<>> suiteNames;  // by unit, by index
  const std::string unit(EntryUnit(entry));
  if (unit == "dxExtCtrlsStrs") return std::to_string(entry.index + 1);
  if (unit == "dxPSRes") return context::dxPSRes::NameBlob + context::dxPSRes::NameOffsets[entry.index];
  if (!suiteNames.contains(unit)) {
    for (const Fields& f : Lines("suite/strings/" + unit + ".txt", 2)) suiteNames[unit].push_back(f[0]);
  }
  const std::vector<std::string>& names = suiteNames[unit];
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
    while (at < text.size() && (IsDigit(text[at]) || text[at] == '.')) ++at;
    if (at < text.size() && std::string_view("dusxefgnmpDUSXEFGNMP").find(text[at]) != std::string_view::npos) {
      found.emplace_back(text.substr(i, at + 1 - i));
      i = at;
    } else if (digitsEnd > i + 1) {
      found.emplace_back(text.substr(i, digitsEnd - i));
      i = digitsEnd - 1;
    }
  }
  return found;
}

std::string Difference(const std::vector<std::string>& expected, const std::vector<std::string>& got) {
  for (std::size_t i = 0; i < expected.size() && i < got.size(); ++i) {
    if (expected[i] != got[i]) return "at " + std::to_string(i + 1) + " expected " + expected[i] + ", got " + got[i];
  }
  if (expected.size() == got.size()) return {};
  return "expected " + std::to_string(expected.size()) + " names, got " + std::to_string(got.size());
}

}  // namespace velmora::test::loc
