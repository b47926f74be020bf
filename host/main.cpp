// velmora-host: the reference host. Loads a Velmora library, backs it with
// an SQLite database and shows its dialog on the terminal (native windows on
// Windows) or under a script.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host/Database.h"
#include "host/HostDatabase.h"
#include "host/Info.h"
#include "host/InteractiveFrontEnd.h"
#include "host/LibraryResources.h"
#include "host/ModuleLoader.h"
#include "host/Program.h"
#include "host/Runner.h"
#include "host/ScriptFrontEnd.h"
#include "host/StringsReport.h"
#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace {

constexpr int kExitHostError = 3;
constexpr int kExitUsage = 64;

const char* const kUsage = R"(usage: velmora-host [options] [LIBRARY]
       velmora-host info [LIBRARY]
       velmora-host strings [FILTER] [--unit NAME] [--changed|--unchanged]
                            [--tsv|--json] [--library LIBRARY]

Shows the change-password dialog of a Velmora library (the context edition
beside this program when LIBRARY is not given) for the signed-in user.

options:
  --db FILE          the host database (default: velmora-demo.db, created
                     with demo users "demo" and "md5demo", password "demo")
  --user CODE        the signed-in user (default: demo for the context
                     edition, md5demo for the automation edition)
  --edition NAME     context or automation (default: read from the library);
                     picks the library beside this program, and a LIBRARY
                     of the other edition is refused
  --script FILE      take input from a script file ("-" for standard input)
  --do COMMAND       one script command; may be repeated
                     commands: type <text> | key <Enter|Tab|Shift+Tab|Esc|
                     Backspace|Space|Alt+X> | click <control> | close | show

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

struct Options {
  std::string command = "run";
  std::string library;
  std::string db;
  std::string user;
  std::optional<host::Edition> edition;
  std::optional<std::string> script;
  std::vector<std::string> commands;
  host::StringsQuery strings;
  bool stringOptions = false;  // options that only "strings" takes were given
};

std::vector<std::string> ReadScript(const std::string& source) {
  std::vector<std::string> lines;
  std::ifstream file;
  std::istream* in = &std::cin;
  if (source != "-") {
    file.open(source);
    if (!file) throw host::HostError("cannot read script '" + source + "'");
    in = &file;
  }
  std::string line;
  while (std::getline(*in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::optional<Options> Parse(int argc, char** argv) {
  Options o;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= argc) return std::nullopt;
      return std::string(argv[++i]);
    };
    std::optional<std::string> v;
    if (arg == "--help" || arg == "-h") return std::nullopt;
    if (arg == "--db" || arg == "--user" || arg == "--edition" || arg == "--script" || arg == "--do" ||
        arg == "--library" || arg == "--unit") {
      v = value();
      if (!v) return std::nullopt;
    }
    using Query = host::StringsQuery;
    if (arg == "--unit" || arg == "--changed" || arg == "--unchanged" || arg == "--tsv" || arg == "--json") {
      o.stringOptions = true;
    }
    if (arg == "--unit") o.strings.unit = *v;
    else if (arg == "--changed" || arg == "--unchanged") {
      const Query::Changes changes = arg == "--changed" ? Query::Changes::Changed : Query::Changes::Unchanged;
      if (o.strings.changes != Query::Changes::All && o.strings.changes != changes) return std::nullopt;
      o.strings.changes = changes;
    } else if (arg == "--tsv" || arg == "--json") {
      const Query::Format format = arg == "--tsv" ? Query::Format::Tsv : Query::Format::Json;
      if (o.strings.format != Query::Format::Text && o.strings.format != format) return std::nullopt;
      o.strings.format = format;
    } else if (arg == "--db") o.db = *v;
    else if (arg == "--user") o.user = *v;
    else if (arg == "--library") o.library = *v;
    else if (arg == "--script") o.script = *v;
    else if (arg == "--do") o.commands.push_back(*v);
    else if (arg == "--edition") {
      if (*v == "context") o.edition = host::Edition::Context;
      else if (*v == "automation") o.edition = host::Edition::Automation;
      else return std::nullopt;
    } else if (arg.starts_with("--")) {
      return std::nullopt;
    } else {
      positional.push_back(arg);
    }
  }
  if (!positional.empty() && (positional[0] == "info" || positional[0] == "strings")) {
    o.command = positional[0];
    positional.erase(positional.begin());
  }
  if (o.command == "strings") {
    if (positional.size() > 1) return std::nullopt;
    if (!positional.empty()) o.strings.filter = positional[0];
  } else {
    if (o.stringOptions) return std::nullopt;
    if (positional.size() > 1) return std::nullopt;
    if (!positional.empty()) o.library = positional[0];
  }
  return o;
}

int Run(const Options& o, const char* argv0) {
  std::string library = o.library;
  if (library.empty()) {
    library =
        host::platform::EditionLibraryBeside(argv0, o.edition == host::Edition::Automation ? "automation" : "context");
  }
  if (o.command == "strings") return host::ListStrings(library, o.strings, std::cout, std::cerr);
  if (o.command == "info") return host::ShowInfo(library, std::cout);

  const host::LibraryResources resources(library);
  // The entry points' signatures differ: never call a library as the other edition.
  const host::Edition edition = host::DetectEdition(resources.Directory());
  if (o.edition && *o.edition != edition) {
    throw host::HostError(library + " is the " + host::EditionName(edition) + " edition, not the " +
                          host::EditionName(*o.edition) + " edition");
  }
  const bool demo = o.db.empty();
  host::Database db(demo ? host::kDemoDatabase : o.db, demo);
  if (demo) {
    host::EnsureSchema(db);
    host::AddDemoData(db);
  } else {
    // A database the host was given is read as it is, never reshaped.
    host::CheckSchema(db, edition == host::Edition::Context);
  }
  const std::string code = !o.user.empty()                     ? o.user
                           : edition == host::Edition::Context ? host::kDemoUser
                                                               : host::kDemoMd5User;
  const std::optional<host::UserRecord> user = host::FindUser(db, code);
  if (!user) throw host::HostError("no user '" + code + "' in " + db.Path());

  host::SessionLog log;
  std::vector<std::string> commands = o.commands;
  if (o.script) {
    const auto lines = ReadScript(*o.script);
    commands.insert(commands.end(), lines.begin(), lines.end());
  }
  const host::LoadedModule module(library);
  host::Outcome outcome;
  if (o.script || !o.commands.empty()) {
    host::ScriptFrontEnd frontEnd(commands, std::cout, log);
    outcome = host::RunDialog(module, edition, db, *user, frontEnd, log);
  } else {
    const auto frontEnd = host::MakeInteractiveFrontEnd(log, std::cout);
    outcome = host::RunDialog(module, edition, db, *user, *frontEnd, log);
  }
  static const char* const kOutcomes[] = {"password changed", "cancelled", "failed"};
  std::cout << "velmora-host: " << kOutcomes[static_cast<int>(outcome)] << " (" << host::EditionName(edition)
            << " edition, user " << user->code << ")\n";
  return static_cast<int>(outcome);
}

}  // namespace

int main(int argc, char** argv) {
  host::platform::PrepareConsole();
  std::vector<std::string> arguments = host::platform::Arguments(argc, argv);
  std::vector<char*> utf8Argv;
  utf8Argv.reserve(arguments.size());
  for (std::string& a : arguments) utf8Argv.push_back(a.data());
  const std::optional<Options> options = Parse(argc, utf8Argv.data());
  if (!options) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  try {
    return Run(*options, argv[0]);
  } catch (const rtl::Exception& e) {
    std::cerr << "velmora-host: " << rtl::GbkToUtf8Display(e.Message()) << "\n";
  } catch (const std::exception& e) {
    std::cerr << "velmora-host: " << e.what() << "\n";
  }
  return kExitHostError;
}
