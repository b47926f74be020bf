#include "host/StringsReport.h"

#include <cstdio>

#include "host/loader/LoadedModule.h"
#include "runtime/text/Gbk.h"
#include "runtime/text/Text.h"

namespace host {
namespace {

constexpr int kExitUsage = 64;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string JsonText(const std::string& utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
          out += escape;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

// The name as the readable list shows it: a string without one by its position.
std::string Label(const suite::TranslatorString& s) {
  if (!s.name.empty()) return s.name;
  std::string label(1, '#');
  label += std::to_string(s.position);
  return label;
}

}  // namespace

std::string EscapeLine(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out;
}

std::vector<suite::TranslatorString> SelectStrings(const std::vector<suite::TranslatorString>& list,
                                                   const StringsQuery& query) {
  std::vector<suite::TranslatorString> selected;
  for (const suite::TranslatorString& s : list) {
    if (!query.unit.empty() && !rtl::SameText(s.unit, query.unit)) continue;
    const bool changed = s.currentText != s.defaultText;
    if (query.changes == StringsQuery::Changes::Changed && !changed) continue;
    if (query.changes == StringsQuery::Changes::Unchanged && changed) continue;
    if (!query.filter.empty() && !Contains(s.name, query.filter) &&
        !Contains(rtl::GbkToUtf8Display(s.defaultText), query.filter) &&
        !Contains(rtl::GbkToUtf8Display(s.currentText), query.filter)) {
      continue;
    }
    selected.push_back(s);
  }
  return selected;
}

void WriteStrings(const std::vector<suite::TranslatorString>& strings, StringsQuery::Format format, std::ostream& out) {
  switch (format) {
    case StringsQuery::Format::Tsv:
      out << "unit\tposition\tname\tid\tdefault\tcurrent\n";
      for (const suite::TranslatorString& s : strings) {
        out << s.unit << "\t" << s.position << "\t" << s.name << "\t" << s.id << "\t"
            << EscapeLine(rtl::GbkToUtf8Display(s.defaultText)) << "\t"
            << EscapeLine(rtl::GbkToUtf8Display(s.currentText)) << "\n";
      }
      return;
    case StringsQuery::Format::Json:
      out << "[";
      for (std::size_t i = 0; i < strings.size(); ++i) {
        const suite::TranslatorString& s = strings[i];
        out << (i == 0 ? "\n" : ",\n") << "  {\"unit\": " << JsonText(s.unit) << ", \"position\": " << s.position
            << ", \"name\": " << JsonText(s.name) << ", \"id\": " << s.id
            << ", \"default\": " << JsonText(rtl::GbkToUtf8Display(s.defaultText))
            << ", \"current\": " << JsonText(rtl::GbkToUtf8Display(s.currentText)) << "}";
      }
      out << "\n]\n";
      return;
    case StringsQuery::Format::Text: {
      const std::string* unit = nullptr;
      std::size_t changed = 0;
      for (const suite::TranslatorString& s : strings) {
        if (unit == nullptr || *unit != s.unit) out << "unit: " << s.unit << "\n";
        unit = &s.unit;
        if (s.currentText != s.defaultText) ++changed;
        out << Label(s) << "\t" << s.id << "\t" << EscapeLine(rtl::GbkToUtf8Display(s.defaultText)) << "\t"
            << EscapeLine(rtl::GbkToUtf8Display(s.currentText)) << "\n";
      }
      out << strings.size() << " strings, " << changed << " changed\n";
      return;
    }
  }
}

int ListStrings(const std::string& library, const StringsQuery& query, std::ostream& out, std::ostream& err) {
  // Loading the library registers its products and sets its texts; its
  // products leave again when it is unloaded.
  const LoadedModule module(library);
  const std::vector<suite::TranslatorString> list = suite::TranslatorList();
  if (!query.unit.empty()) {
    std::vector<std::string> units;
    bool found = false;
    for (const suite::TranslatorString& s : list) {
      if (units.empty() || units.back() != s.unit) units.push_back(s.unit);
      found = found || rtl::SameText(s.unit, query.unit);
    }
    if (!found) {
      err << "velmora-host: no string unit '" << query.unit << "'; the units are:";
      for (const std::string& u : units) err << " " << u;
      err << "\n";
      return kExitUsage;
    }
  }
  WriteStrings(SelectStrings(list, query), query.format, out);
  return 0;
}

}  // namespace host
