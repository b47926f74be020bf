// strtab: turns the readable string data (UTF-8, see below) into constant
// C++ data and a string-table listing for rescomp.
//
//   strtab suite <outdir> <unit.txt>...
//       Each unit file lists "name<TAB>English default" lines; the unit is
//       named after the file. Writes SuiteStrings.h/.cpp (one record array
//       per unit, indices by name), SuiteStrings.strings and SuiteStrings.units.
//   strtab context <outdir> <dxExtCtrlsStrs.txt> <dxPSRes.txt> <DevStrConvert.txt> <suite unit.txt>...
//       Writes ContextStrings.h/.cpp: the records of the library's two
//       string units, the printing system's names as one blob with offsets,
//       and the Chinese text table as entries of (unit, record index, text
//       offset, length) over one GBK text blob: constant data that needs no
//       relocation. Also ContextStrings.strings and ContextStrings.units.
//
// A .units file lists the string units of the library, one string a line in
// declaration order: "unit<TAB>name<TAB>id" (the name empty for a unit whose
// strings have none). rescomp stores it as the resource STRINGUNITS, from
// which a translator's list is made.
//
// Data files: '#' starts a comment line; fields are separated by one TAB;
// in texts \r \n \t \\ are the only escapes. "@include <file>" in the text
// table inserts that file's lines in place.
//
// Ids are dealt out from the top of the id range in blocks of sixteen: the
// string at position p of a library's combined order has the id
// (4095 - p / 16) * 16 + p % 16.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ToolText.h"

namespace fs = std::filesystem;

namespace {

using tooltext::Escape;
using tooltext::Fail;
using tooltext::ToGbk;
using tooltext::Unescape;

struct Line {
  std::vector<std::string> fields;
  std::string where;  // file:line, for messages
};

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

void ReadLines(const fs::path& path, std::vector<Line>& out, bool allowInclude) {
  std::ifstream in(path);
  if (!in) Fail("cannot read " + path.string());
  std::string text;
  int number = 0;
  while (std::getline(in, text)) {
    ++number;
    if (!text.empty() && text.back() == '\r') Fail(path.string() + ":" + std::to_string(number) + ": CR line end");
    if (text.empty() || text[0] == '#') continue;
    if (allowInclude && text.starts_with("@include ")) {
      ReadLines(path.parent_path() / text.substr(9), out, false);
      continue;
    }
    out.push_back({Split(text), path.filename().string() + ":" + std::to_string(number)});
  }
}

// A C++ string literal of arbitrary bytes, split into lines; octal escapes
// keep every byte exact whatever the execution character set.
std::string Literal(const std::string& bytes) {
  std::string out = "\"";
  int column = 0;
  for (char byte : bytes) {
    const auto c = static_cast<unsigned char>(byte);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
      out += static_cast<char>(c);
      ++column;
    } else {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o", c);
      out += octal;
      column += 4;
    }
    if (column >= 100) {
      out += "\"\n    \"";
      column = 0;
    }
  }
  return out + "\"";
}

std::uint32_t IdAt(std::size_t position) {
  return static_cast<std::uint32_t>((4095 - position / 16) * 16 + position % 16);
}

struct Unit {
  std::string name;
  std::vector<std::string> keys;      // empty names for unnamed strings
  std::vector<std::string> defaults;  // UTF-8
  std::map<std::string, std::size_t> index;
};

Unit ReadNamedUnit(const fs::path& path) {
  Unit unit;
  unit.name = path.stem().string();
  std::vector<Line> lines;
  ReadLines(path, lines, false);
  for (const Line& line : lines) {
    if (line.fields.size() != 2) Fail(line.where + ": expected name<TAB>text");
    if (!unit.index.emplace(line.fields[0], unit.keys.size()).second) Fail(line.where + ": name given twice");
    unit.keys.push_back(line.fields[0]);
    unit.defaults.push_back(Unescape(line.fields[1], line.where));
    ToGbk(unit.defaults.back(), line.where);
  }
  return unit;
}

Unit ReadUnnamedUnit(const fs::path& path) {
  Unit unit;
  unit.name = path.stem().string();
  std::vector<Line> lines;
  ReadLines(path, lines, false);
  for (const Line& line : lines) {
    if (line.fields.size() != 1) Fail(line.where + ": expected one text per line");
    unit.keys.emplace_back();
    unit.defaults.push_back(Unescape(line.fields[0], line.where));
  }
  return unit;
}

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream out(path);
  out << content;
  if (!out) Fail("cannot write " + path.string());
}

const char* kBanner = "// Generated by strtab from the string data files. Do not edit.\n";

// Record arrays of units whose ids follow one another in the combined order.
// A library's own records are made on first use from constant ids (see
// Declarations); the suite's are written out, since it is loaded once.
std::string Records(const std::vector<Unit>& units, const std::string& handle, bool madeAtRunTime, std::string& strings,
                    std::string& listing) {
  std::string cpp;
  std::size_t position = 0;
  for (const Unit& unit : units) {
    cpp += madeAtRunTime ? "static constinit const std::uint32_t " + unit.name + "Ids[" +
                               std::to_string(unit.keys.size()) + "] = {\n"
                         : "constinit const rtl::TResStringRec " + unit.name + "::Strings[" +
                               std::to_string(unit.keys.size()) + "] = {\n";
    for (std::size_t i = 0; i < unit.keys.size(); ++i, ++position) {
      const std::uint32_t id = IdAt(position);
      cpp +=
          madeAtRunTime ? "    " + std::to_string(id) + ",\n" : "    {&" + handle + ", " + std::to_string(id) + "},\n";
      strings += std::to_string(id) + "\t" + Escape(unit.defaults[i]) + "\n";
      listing += unit.name + "\t" + unit.keys[i] + "\t" + std::to_string(id) + "\n";
    }
    cpp += "};\n";
    if (madeAtRunTime) {
      cpp += "std::span<const rtl::TResStringRec, " + unit.name + "::Count> " + unit.name + "::Strings() {\n" +
             "  static const std::unique_ptr<rtl::TResStringRec[]> records = MadeRecords(&" + handle + ", " +
             unit.name + "Ids);\n  return std::span<const rtl::TResStringRec, Count>(records.get(), Count);\n}\n";
    }
  }
  return cpp;
}

// The records of a library, made on the heap when first used: a record
// holds the address of the library's instance handle, and every address in
// constant data needs a relocation at each load, which makes its pages
// private to the process. Made at run time, they stay constant afterwards.
const char* kMadeRecords =
    "template <std::size_t N>\n"
    "std::unique_ptr<rtl::TResStringRec[]> MadeRecords(const rtl::HINST* handle, const std::uint32_t (&ids)[N]) {\n"
    "  std::unique_ptr<rtl::TResStringRec[]> records(new rtl::TResStringRec[N]);\n"
    "  for (std::size_t i = 0; i < N; ++i) records[i] = {handle, ids[i]};\n"
    "  return records;\n"
    "}\n\n";

std::string Declarations(const Unit& unit, bool namedIndices, bool madeAtRunTime) {
  std::string h =
      "namespace " + unit.name + " {\ninline constexpr std::size_t Count = " + std::to_string(unit.keys.size()) + ";\n";
  if (namedIndices) {
    for (std::size_t i = 0; i < unit.keys.size(); ++i) {
      h += "inline constexpr std::size_t " + unit.keys[i] + " = " + std::to_string(i) + ";\n";
    }
  }
  h += madeAtRunTime ? "// The unit's records, made when first used while the library is loaded.\n"
                       "std::span<const rtl::TResStringRec, Count> Strings();\n"
                     : "extern const rtl::TResStringRec Strings[Count];\n";
  return h + "}  // namespace " + unit.name + "\n";
}

void Suite(const fs::path& outdir, const std::vector<fs::path>& files) {
  std::vector<Unit> units;
  units.reserve(files.size());
  for (const fs::path& f : files) units.push_back(ReadNamedUnit(f));
  std::string h =
      std::string(kBanner) +
      "#pragma once\n#include <cstddef>\n#include \"runtime/module/ResString.h\"\n\n"
      "namespace suite {\n// The suite library's instance handle.\nextern constinit rtl::HINST HInstance;\n\n";
  for (const Unit& unit : units) h += Declarations(unit, true, false) + "\n";
  h += "}  // namespace suite\n";
  std::string strings;
  std::string listing;
  std::string cpp = std::string(kBanner) + "#include \"SuiteStrings.h\"\n\nnamespace suite {\n\n" +
                    Records(units, "HInstance", false, strings, listing) + "\n}  // namespace suite\n";
  WriteFile(outdir / "SuiteStrings.h", h);
  WriteFile(outdir / "SuiteStrings.cpp", cpp);
  WriteFile(outdir / "SuiteStrings.strings", strings);
  WriteFile(outdir / "SuiteStrings.units", listing);
}

void Context(const fs::path& outdir, const fs::path& extFile, const fs::path& psFile, const fs::path& tableFile,
             const std::vector<fs::path>& suiteFiles) {
  std::vector<Unit> own{ReadUnnamedUnit(extFile), ReadNamedUnit(psFile)};
  std::vector<Unit> suiteUnits;
  suiteUnits.reserve(suiteFiles.size());
  for (const fs::path& f : suiteFiles) suiteUnits.push_back(ReadNamedUnit(f));

  // Unit numbers of the text table: the suite's units, then the library's two.
  std::map<std::string, std::size_t> unitNumbers;
  std::vector<const Unit*> allUnits;
  for (const Unit& u : suiteUnits) {
    unitNumbers[u.name] = allUnits.size();
    allUnits.push_back(&u);
  }
  for (const Unit& u : own) {
    unitNumbers[u.name] = allUnits.size();
    allUnits.push_back(&u);
  }

  std::vector<Line> table;
  ReadLines(tableFile, table, true);
  std::string texts;
  std::string entries;
  for (const Line& line : table) {
    if (line.fields.size() != 3) Fail(line.where + ": expected unit<TAB>key<TAB>text");
    const auto unit = unitNumbers.find(line.fields[0]);
    if (unit == unitNumbers.end()) Fail(line.where + ": unknown unit " + line.fields[0]);
    const Unit& u = *allUnits[unit->second];
    std::size_t index = 0;
    if (!u.keys.empty() && u.keys[0].empty()) {
      const std::size_t position = std::stoul(line.fields[1]);
      if (position < 1 || position > u.keys.size()) Fail(line.where + ": no string " + line.fields[1]);
      index = position - 1;
    } else {
      const auto key = u.index.find(line.fields[1]);
      if (key == u.index.end()) Fail(line.where + ": " + u.name + " has no string " + line.fields[1]);
      index = key->second;
    }
    const std::string gbk = ToGbk(Unescape(line.fields[2], line.where), line.where);
    entries += "    {" + std::to_string(unit->second) + ", " + std::to_string(index) + ", " +
               std::to_string(texts.size()) + ", " + std::to_string(gbk.size()) + "},\n";
    texts += gbk;
  }

  std::string names;
  std::string offsets = "    0,\n";
  for (const std::string& key : own[1].keys) {
    names += key;
    names += '\0';
    offsets += "    " + std::to_string(names.size()) + ",\n";
  }

  std::string h =
      std::string(kBanner) +
      "#pragma once\n#include <cstddef>\n#include <cstdint>\n#include <span>\n"
      "#include \"runtime/module/ResString.h\"\n#include \"suite/cxClasses.h\"\n\n"
      "namespace context {\n\n" +
      Declarations(own[0], false, true) + "\n" + Declarations(own[1], true, true) +
      "namespace dxPSRes {\n// The names, NUL-terminated, one after another; Count + 1 offsets.\n"
      "extern const char NameBlob[];\nextern const std::uint32_t NameOffsets[Count + 1];\n}  // namespace dxPSRes\n\n"
      "namespace ChineseTexts {\n"
      "// Units of the table, by number: the suite's, in this order, then the library's.\n"
      "inline constexpr const char* UnitNames[] = {";
  for (const Unit* u : allUnits) h += "\"" + u->name + "\", ";
  h +=
      "};\ninline constexpr std::size_t UnitCount = " + std::to_string(allUnits.size()) +
      ";\n// The suite applies the table as it stands, in one call.\nusing Entry = suite::cxResourceStringTableEntry;\n"
      "inline constexpr std::size_t Count = " +
      std::to_string(table.size()) +
      ";\nextern const Entry Entries[Count];\n"
      "// The texts of all entries, one after another.\ninline constexpr std::size_t TextsSize = " +
      std::to_string(texts.size()) +
      ";\nextern const char Texts[TextsSize + 1];\n}  // namespace ChineseTexts\n\n"
      "}  // namespace context\n";

  std::string strings;
  std::string listing;
  std::string cpp = std::string(kBanner) +
                    "#include \"ContextStrings.h\"\n\n#include <memory>\n\n"
                    "#include \"context/UGlobalValue.h\"\n\n"
                    "namespace context {\nnamespace {\n\n" +
                    kMadeRecords + "}  // namespace\n\n" + Records(own, "HInstance", true, strings, listing) +
                    "\nconstinit const char dxPSRes::NameBlob[] =\n    " + Literal(names) + ";\n" +
                    "constinit const std::uint32_t dxPSRes::NameOffsets[dxPSRes::Count + 1] = {\n" + offsets +
                    "};\n\n" + "constinit const ChineseTexts::Entry ChineseTexts::Entries[ChineseTexts::Count] = {\n" +
                    entries + "};\n" + "constinit const char ChineseTexts::Texts[ChineseTexts::TextsSize + 1] =\n    " +
                    Literal(texts) + ";\n\n}  // namespace context\n";
  WriteFile(outdir / "ContextStrings.h", h);
  WriteFile(outdir / "ContextStrings.cpp", cpp);
  WriteFile(outdir / "ContextStrings.strings", strings);
  WriteFile(outdir / "ContextStrings.units", listing);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 3 && args[0] == "suite") {
      Suite(args[1], std::vector<fs::path>(args.begin() + 2, args.end()));
      return 0;
    }
    if (args.size() >= 5 && args[0] == "context") {
      Context(args[1], args[2], args[3], args[4], std::vector<fs::path>(args.begin() + 5, args.end()));
      return 0;
    }
    std::fprintf(stderr,
                 "usage: strtab suite <outdir> <unit.txt>... | strtab context <outdir> <ext> <ps> <table> <suite "
                 "unit.txt>...\n");
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "strtab: %s\n", e.what());
    return 1;
  }
}
