// The "strings" report: the translator's list of every resource string the
// component suite knows while a library is loaded (the suite's units, the
// library's units, every registered product), narrowed by a query and
// written as readable text, as TSV with a header, or as JSON.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "suite/dxTranslatorList.h"

namespace host {

struct StringsQuery {
  enum class Changes { All, Changed, Unchanged };
  enum class Format { Text, Tsv, Json };

  std::string filter;              // part of the name or of either text (UTF-8); empty for all
  std::string unit;                // one unit only, letter case ignored; empty for all
  Changes changes = Changes::All;  // changed: the text in use differs from the default
  Format format = Format::Text;
};

// The strings of list the query selects, in list order.
std::vector<suite::TranslatorString> SelectStrings(const std::vector<suite::TranslatorString>& list,
                                                   const StringsQuery& query);

void WriteStrings(const std::vector<suite::TranslatorString>& strings, StringsQuery::Format format, std::ostream& out);

// Loads the library and writes its list. A unit that the list does not hold
// is reported on err with the units it does hold. Returns the exit status.
int ListStrings(const std::string& library, const StringsQuery& query, std::ostream& out, std::ostream& err);

// A text on one line: backslash, carriage return, line feed and tab escaped.
std::string EscapeLine(const std::string& text);

}  // namespace host
