#include "host/CommandLine.h"

#include <fstream>
#include <iostream>
#include <stdexcept>

namespace host {

const char* const kUsage = R"(usage: velmora-host [options] [LIBRARY]
       velmora-host info [LIBRARY]
       velmora-host strings [FILTER] [--unit NAME] [--changed|--unchanged]
                            [--tsv|--json] [--library LIBRARY]

Shows the change-password dialog of a Velmora library (the context edition
beside this program when LIBRARY is not given) for the signed-in user.

options:
  --db FILE          the host database (default: velmora-demo.db, created
                     with demo users "demo" and "md5demo", password "demo")
  --odbc CONNECTION  the host database through ODBC instead, e.g.
                     "DSN=name;UID=user;PWD=secret" or "Driver={PostgreSQL
                     Unicode};Server=host;Port=5432;Database=db;Uid=user;Pwd=s"
  --user CODE        the signed-in user (default: demo for the context
                     edition, md5demo for the automation edition)
  --edition NAME     context or automation (default: read from the library);
                     picks the library beside this program, and a LIBRARY
                     of the other edition is refused
  --script FILE      take input from a script file ("-" for standard input)
  --do COMMAND       one script command; may be repeated
                     commands: type <text> | key <Enter|Tab|Shift+Tab|Esc|
                     Backspace|Space|Alt+X> | click <control> | close | show
  --trace-sql        every statement the library sends, with its call and
                     outcome, on standard error

strings: every resource string of the component suite's units, of the
library's units and of each product the library registers, with its unit,
name (a string without one by its position, #N), id, English default and
the text in use; backslash, CR, LF and TAB are written \\ \r \n \t.
  FILTER             only strings whose name or either text contains FILTER
  --unit NAME        only the strings of that unit
  --changed          only strings whose text in use differs from the default
  --unchanged        only strings that still show their default
  --tsv              tab-separated, with a header line
  --json             a JSON array of objects
  --library LIBRARY  the library to load (default: the context edition)

exit status: 0 password changed, 1 cancelled, 2 failed, 3 host error, 64 usage
)";

std::optional<Options> ParseCommandLine(const std::vector<std::string>& arguments) {
  Options o;
  bool stringOptions = false;  // options that only "strings" takes were given
  std::vector<std::string> positional;
  using Query = StringsQuery;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    std::optional<std::string> v;
    if (arg == "--help" || arg == "-h") return std::nullopt;
    if (arg == "--db" || arg == "--odbc" || arg == "--user" || arg == "--edition" || arg == "--script" ||
        arg == "--do" || arg == "--library" || arg == "--unit") {
      if (i + 1 >= arguments.size()) return std::nullopt;
      v = arguments[++i];
    }
    if (arg == "--unit" || arg == "--changed" || arg == "--unchanged" || arg == "--tsv" || arg == "--json") {
      stringOptions = true;
    }
    if (arg == "--unit") {
      o.strings.unit = *v;
    } else if (arg == "--changed" || arg == "--unchanged") {
      const Query::Changes changes = arg == "--changed" ? Query::Changes::Changed : Query::Changes::Unchanged;
      if (o.strings.changes != Query::Changes::All && o.strings.changes != changes) return std::nullopt;
      o.strings.changes = changes;
    } else if (arg == "--tsv" || arg == "--json") {
      const Query::Format format = arg == "--tsv" ? Query::Format::Tsv : Query::Format::Json;
      if (o.strings.format != Query::Format::Text && o.strings.format != format) return std::nullopt;
      o.strings.format = format;
    } else if (arg == "--db") {
      o.db = *v;
    } else if (arg == "--odbc") {
      o.odbc = *v;
    } else if (arg == "--user") {
      o.user = *v;
    } else if (arg == "--library") {
      o.library = *v;
    } else if (arg == "--script") {
      o.script = *v;
    } else if (arg == "--do") {
      o.commands.push_back(*v);
    } else if (arg == "--trace-sql") {
      o.traceSql = true;
    } else if (arg == "--edition") {
      if (*v == "context") o.edition = Edition::Context;
      else if (*v == "automation") o.edition = Edition::Automation;
      else return std::nullopt;
    } else if (arg.starts_with("--")) {
      return std::nullopt;
    } else {
      positional.push_back(arg);
    }
  }
  if (!positional.empty() && (positional[0] == "info" || positional[0] == "strings")) {
    o.command = positional[0] == "info" ? Options::Command::Info : Options::Command::Strings;
    positional.erase(positional.begin());
  }
  if (positional.size() > 1) return std::nullopt;
  if (!o.db.empty() && !o.odbc.empty()) return std::nullopt;
  if (o.command == Options::Command::Strings) {
    if (!positional.empty()) o.strings.filter = positional[0];
  } else {
    if (stringOptions) return std::nullopt;
    if (!positional.empty()) o.library = positional[0];
  }
  return o;
}

std::vector<std::string> ReadScript(const std::string& source) {
  std::vector<std::string> lines;
  std::ifstream file;
  std::istream* in = &std::cin;
  if (source != "-") {
    file.open(source);
    if (!file) throw std::runtime_error("cannot read script '" + source + "'");
    in = &file;
  }
  std::string line;
  while (std::getline(*in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace host
