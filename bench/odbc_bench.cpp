// A password change over ODBC, end to end in one process (each edition's
// dialog driven by a script through the host's runner and services), beside
// the same statements the change sends, bare in one transaction through the
// host's ODBC connection: the dialog's query and update, and for the context
// edition the host's query of the user's rights that the context object
// carries. Both on one connection kept open, each run
// rewriting the row. The ratio of the medians is the cost of everything
// around the statements: the dialog, the host's services, GBK and UTF-16.
//   VELMORA_BENCH_ODBC=CONNECTION odbc_bench    (bench/odbc_bench.sh starts a server for it)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/Runner.h"
#include "host/db/HostTables.h"
#include "host/db/OdbcConnection.h"
#include "host/frontends/ScriptFrontEnd.h"
#include "host/loader/LoadedModule.h"
#include "host/services/ModuleSql.h"
#include "runtime/text/Unicode.h"

namespace {

struct EditionUnderTest {
  const char* name;
  host::Edition edition;
  const char* library;
  const char* user;  // a demo user, password "demo"
  std::vector<std::string> edits;
  const char* ok;
};

const EditionUnderTest kEditions[] = {
    {"context",
     host::Edition::Context,
     VELMORA_CONTEXT_LIBRARY,
     "demo",
     {"edtOldPass", "edtNewPass", "edtConfirmPass"},
     "btnOK"},
    {"automation",
     host::Edition::Automation,
     VELMORA_AUTOMATION_LIBRARY,
     "md5demo",
     {"EdtOldPass", "EdtNewPass", "EdtNewPass1"},
     "BtnModify"},
};

std::vector<std::string> Change(const EditionUnderTest& e, const std::string& from, const std::string& to) {
  return {"click " + e.edits[0], "type " + from, "click " + e.edits[1],       "type " + to,
          "click " + e.edits[2], "type " + to,   "click " + std::string(e.ok)};
}

// Keeps the statements the dialog sends, as UTF-8.
class Recorder final : public host::SqlObserver {
 public:
  std::vector<std::string> statements;
  void Queried(const char*, const rtl::WideString& sql, std::size_t) override { Keep(sql); }
  void Executed(const char*, const rtl::WideString& sql) override { Keep(sql); }
  void Failed(const char*, const rtl::WideString&, const std::string& detail) override {
    std::fprintf(stderr, "odbc_bench: a statement failed: %s\n", detail.c_str());
    std::exit(1);
  }

 private:
  void Keep(const rtl::WideString& sql) { statements.push_back(rtl::WideToUtf8(sql)); }
};

std::string Connection() {
  const char* connection = std::getenv("VELMORA_BENCH_ODBC");
  if (connection == nullptr || *connection == '\0') {
    std::fputs("odbc_bench: set VELMORA_BENCH_ODBC to an ODBC connection string (bench/odbc_bench.sh does)\n", stderr);
    std::exit(64);
  }
  return connection;
}

// Changes the password back and forth between "demo" and "next".
void PasswordChange(benchmark::State& state, const EditionUnderTest& e) {
  host::OdbcConnection db(Connection());
  host::CheckHostTables(db, e.edition == host::Edition::Context);
  const host::UserRecord user = *host::FindUser(db, e.user);
  host::ModuleSql sql(db);
  const host::LoadedModule module(e.library);
  const std::vector<std::string> forth = Change(e, "demo", "next"), back = Change(e, "next", "demo");
  bool there = false;
  std::ostringstream out;
  for (auto _ : state) {
    host::ScriptFrontEnd script(there ? back : forth, out);
    if (host::RunDialog(module, e.edition, sql, user, script) != host::Outcome::Changed) {
      std::fprintf(stderr, "odbc_bench: the %s dialog did not change the password:\n%s", e.name, out.str().c_str());
      state.SkipWithError("the dialog did not change the password");
      break;
    }
    there = !there;
    out.str({});
  }
  // The next run starts from "demo" again.
  if (there) {
    host::ScriptFrontEnd script(back, out);
    host::RunDialog(module, e.edition, sql, user, script);
  }
}

// The change's statements (the dialog's recorded from one change there and
// back), bare: the rights query, the query and the update in one transaction.
void BareStatements(benchmark::State& state, const EditionUnderTest& e) {
  host::OdbcConnection db(Connection());
  const host::UserRecord user = *host::FindUser(db, e.user);
  Recorder recorder;
  {
    host::ModuleSql sql(db, &recorder);
    const host::LoadedModule module(e.library);
    std::ostringstream out;
    for (const auto& commands : {Change(e, "demo", "next"), Change(e, "next", "demo")}) {
      host::ScriptFrontEnd script(commands, out);
      host::RunDialog(module, e.edition, sql, user, script);
    }
  }
  if (recorder.statements.size() != 4) {
    state.SkipWithError("expected a query and an update for each change");
    return;
  }
  std::size_t at = 0;
  for (auto _ : state) {
    db.Begin();
    if (e.edition == host::Edition::Context) benchmark::DoNotOptimize(host::RightsOf(db, user.code));
    benchmark::DoNotOptimize(db.Select(recorder.statements[at]));
    if (db.Execute(recorder.statements[at + 1]) != 1) {
      db.Rollback();
      state.SkipWithError("the update changed no row");
      break;
    }
    db.Commit();
    at = 2 - at;
  }
  if (at != 0) db.Execute(recorder.statements[3]);
}

// The console report, and each benchmark's median kept for the ratios.
class MedianReporter final : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> medians;  // real time
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.aggregate_name == "median") medians[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  for (const EditionUnderTest& e : kEditions) {
    for (const auto& [kind, function] :
         {std::pair{"PasswordChange", &PasswordChange}, std::pair{"BareStatements", &BareStatements}}) {
      benchmark::RegisterBenchmark((std::string(kind) + "/" + e.name).c_str(), function, e)
          ->Unit(benchmark::kMicrosecond)
          ->MinTime(1.0)
          ->Repetitions(7)
          ->ReportAggregatesOnly(true);
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 64;
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  for (const EditionUnderTest& e : kEditions) {
    const auto dialog = reporter.medians.find(std::string("PasswordChange/") + e.name);
    const auto bare = reporter.medians.find(std::string("BareStatements/") + e.name);
    if (dialog == reporter.medians.end() || bare == reporter.medians.end()) continue;
    std::printf("%s edition: the password change takes %.2f times the bare statements (medians %.0f us and %.0f us)\n",
                e.name, dialog->second / bare->second, dialog->second, bare->second);
  }
  return 0;
}
