// velmora-host: the reference host. Loads a Velmora library, backs it with
// a database (an SQLite file, or a data source through ODBC) and shows its dialog on the terminal (native
// windows on Windows) or under a script; or reports on a library.
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/CommandLine.h"
#include "host/DemoDatabase.h"
#include "host/InfoReport.h"
#include "host/Program.h"
#include "host/Runner.h"
#include "host/SqlTrace.h"
#include "host/StringsReport.h"
#include "host/db/HostTables.h"
#include "host/db/OdbcConnection.h"
#include "host/frontends/InteractiveFrontEnd.h"
#include "host/frontends/ScriptFrontEnd.h"
#include "host/loader/LibraryResources.h"
#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace {

using host::Options;

constexpr int kExitHostError = 3;
constexpr int kExitUsage = 64;

// The database the dialog works on: a given one as it is, never reshaped
// (its tables are checked first); else the demo database, made as needed.
std::unique_ptr<host::Connection> OpenDatabase(const Options& o, host::Edition edition) {
  std::unique_ptr<host::Connection> db;
  if (!o.odbc.empty()) {
    db = std::make_unique<host::OdbcConnection>(o.odbc);
  } else if (!o.db.empty()) {
    db = std::make_unique<host::SqliteConnection>(o.db, false);
  } else {
    return host::OpenDemoDatabase(host::kDemoDatabase);
  }
  host::CheckHostTables(*db, edition == host::Edition::Context);
  return db;
}

// The front end: the script when one is given, else the person's.
std::unique_ptr<rtl::TFrontEnd> MakeFrontEnd(const Options& o) {
  if (!o.script && o.commands.empty()) return host::MakeInteractiveFrontEnd(std::cout);
  std::vector<std::string> commands = o.commands;
  if (o.script) {
    const auto lines = host::ReadScript(*o.script);
    commands.insert(commands.end(), lines.begin(), lines.end());
  }
  return std::make_unique<host::ScriptFrontEnd>(commands, std::cout);
}

int ShowDialog(const Options& o, const std::string& library) {
  const host::LibraryResources resources(library);
  // The entry points' signatures differ: never call a library as the other edition.
  const host::Edition edition = host::DetectEdition(resources.Directory());
  if (o.edition && *o.edition != edition) {
    throw host::HostError(library + " is the " + host::EditionName(edition) + " edition, not the " +
                          host::EditionName(*o.edition) + " edition");
  }
  const std::unique_ptr<host::Connection> db = OpenDatabase(o, edition);
  const std::string code = !o.user.empty()                     ? o.user
                           : edition == host::Edition::Context ? host::kDemoUser
                                                               : host::kDemoMd5User;
  const std::optional<host::UserRecord> user = host::FindUser(*db, code);
  if (!user) throw host::HostError("no user '" + code + "' in " + db->Describe());

  const std::unique_ptr<rtl::TFrontEnd> frontEnd = MakeFrontEnd(o);
  host::SqlTrace trace(std::cerr);
  host::ModuleSql sql(*db, o.traceSql ? &trace : nullptr);
  const host::LoadedModule module(library);
  const host::Outcome outcome = host::RunDialog(module, edition, sql, *user, *frontEnd);
  static const char* const kOutcomes[] = {"password changed", "cancelled", "failed"};
  std::cout << "velmora-host: " << kOutcomes[static_cast<int>(outcome)] << " (" << host::EditionName(edition)
            << " edition, user " << user->code << ")\n";
  return static_cast<int>(outcome);
}

int Run(const Options& o, const char* argv0) {
  std::string library = o.library;
  if (library.empty()) {
    library =
        host::platform::EditionLibraryBeside(argv0, o.edition == host::Edition::Automation ? "automation" : "context");
  }
  switch (o.command) {
    case Options::Command::Strings: return host::ListStrings(library, o.strings, std::cout, std::cerr);
    case Options::Command::Info: return host::ShowInfo(library, std::cout);
    case Options::Command::Run: break;
  }
  return ShowDialog(o, library);
}

}  // namespace

int main(int argc, char** argv) {
  host::platform::PrepareConsole();
  const std::optional<Options> options = host::ParseCommandLine(host::platform::Arguments(argc, argv));
  if (!options) {
    std::fputs(host::kUsage, stderr);
    return kExitUsage;
  }
  try {
    return Run(*options, argv[0]);
  } catch (const host::ScriptError& e) {
    std::cerr << "velmora-host: " << e.what() << "\n";
    return kExitUsage;
  } catch (const rtl::Exception& e) {
    std::cerr << "velmora-host: " << rtl::GbkToUtf8Display(e.Message()) << "\n";
  } catch (const std::exception& e) {
    std::cerr << "velmora-host: " << e.what() << "\n";
  }
  return kExitHostError;
}
