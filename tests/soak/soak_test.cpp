// Soak: load, create, free and unload of each edition, cycle after cycle, in
// one process. Resident memory must stay flat from an early checkpoint to the
// last cycle, and the suite's texts and repository must be intact after the
// last unload.
//
//   build/bin/soak_tests                            300 cycles per edition (as CTest runs it)
//   VELMORA_SOAK_CYCLES=10000 build/bin/soak_tests  the full run: memory at 1,000 and 10,000 cycles
//
// The early checkpoint is a tenth of the cycles. Under AddressSanitizer,
// whose quarantine holds freed memory, resident memory is reported but not
// required flat; the leak checker stands in for it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "SuiteStrings.h"
#include "context/DevStrConvert.h"
#include "host/loader/LoadedModule.h"
#include "host/services/AutomationServers.h"
#include "host/services/ContextHost.h"
#include "suite/cxClasses.h"
#include "suite/dxCore.h"
#include "tests/support/ApplicationScreen.h"
#include "tests/support/Expectations.h"
#include "tests/support/LibraryPaths.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

constexpr int kDefaultCycles = 300;
// The most resident memory may grow from the early checkpoint to the end.
constexpr long kFlatBoundKiB = 512;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryIsQuarantined = true;
#else
constexpr bool kMemoryIsQuarantined = false;
#endif

int Cycles() {
  const char* text = std::getenv("VELMORA_SOAK_CYCLES");
  const int cycles = text != nullptr ? std::atoi(text) : kDefaultCycles;
  return cycles > 0 ? cycles : kDefaultCycles;
}

long ResidentKiB() {
  long size = 0;
  long resident = 0;
  std::ifstream("/proc/self/statm") >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

std::size_t Registrations(const char* product) {
  std::size_t count = 0;
  for (const std::string& name : suite::dxResourceStringsRepository().ProductNames()) count += name == product;
  return count;
}

// Every suite string the Chinese text table names reads its replacement,
// which is the table's last text for it, or else its default; replaced says
// that every one must have its replacement.
void ExpectSuiteTextsIntact(bool replaced) {
  std::map<const rtl::TResStringRec*, rtl::AnsiString> last;
  for (const context::ChineseTexts::Entry& entry : context::ChineseTexts::Entries) {
    const rtl::TResStringRec* rec = context::RecordOf(entry);
    if (rec->Module == &suite::HInstance) {
      last[rec] = rtl::AnsiString(context::ChineseTexts::Texts + entry.textOffset, entry.textLength);
    }
  }
  ASSERT_FALSE(last.empty());
  std::size_t wrong = 0;
  for (const auto& [rec, text] : last) {
    const bool has = suite::cxHasResourceString(rec);
    if (replaced && !has) ++wrong;
    if (suite::cxGetResourceString(rec) != (has ? text : rtl::LoadResString(rec))) ++wrong;
  }
  EXPECT_EQ(wrong, 0u) << "of " << last.size() << " suite strings, expected each to read its text";
}

struct Soaked {
  const char* name;
  const char* library;
  bool context;
};
void PrintTo(const Soaked& s, std::ostream* os) { *os << s.name; }

class Soak : public ::testing::TestWithParam<Soaked> {
 protected:
  Soak() {
    db_.AddUser("demo", "stored");
    context_.emplace(db_.Sql(), db_.User("demo"), screen_);
    servers_.emplace(db_.Sql(), db_.User("demo"), screen_);
  }

  // One cycle: load, CreateModule, FreeModule, unload. False when an entry point failed.
  bool Cycle() {
    host::LoadedModule module(GetParam().library);
    rtl::TCustomForm* form = nullptr;
    std::int32_t kind = 0;
    const std::int32_t created = GetParam().context
                                     ? module.CreateModuleContext()(&form, 0, 0, 0, 0, 0, &*context_, &kind)
                                     : module.CreateModuleAutomation()(&form, 0, 0, 0, 0, 0, &kind);
    return created == 0 && form != nullptr && module.FreeModule()(&form) == 0;
  }

  TempDatabase db_;
  ApplicationScreen screen_;
  std::optional<host::ContextHost> context_;
  std::optional<host::AutomationServers> servers_;
};

// Resident memory from the early checkpoint to the last cycle.
TEST_P(Soak, KeepsResidentMemoryFlat) {
  const int cycles = Cycles();
  const int checkpoint = std::max(cycles / 10, 1);
  long early = 0;
  for (int cycle = 1; cycle <= cycles; ++cycle) {
    ASSERT_TRUE(Cycle()) << "cycle " << cycle;
    if (cycle == checkpoint) early = ResidentKiB();
  }
  const long last = ResidentKiB();
  std::printf("%s edition: resident memory %ld KiB after %d cycles, %ld KiB after %d cycles\n", GetParam().name, early,
              checkpoint, last, cycles);
  RecordProperty("resident_kib_early", std::to_string(early));
  RecordProperty("resident_kib_last", std::to_string(last));
  if (!kMemoryIsQuarantined) {
    EXPECT_LE(last - early, kFlatBoundKiB)
        << "expected resident memory flat from cycle " << checkpoint << " to " << cycles;
  }
}

// After the last unload the printing system is unregistered, and every suite
// string reads the text the last load gave it.
TEST_P(Soak, LeavesTheSuiteIntact) {
  const int cycles = Cycles();
  for (int cycle = 1; cycle <= cycles; ++cycle) ASSERT_TRUE(Cycle()) << "cycle " << cycle;
  EXPECT_EQ(Registrations("ExpressPrinting System"), 0u) << "expected the product unregistered after the last unload";
  ExpectSuiteTextsIntact(GetParam().context);
}

INSTANTIATE_TEST_SUITE_P(Editions, Soak,
                         ::testing::Values(Soaked{"context", kContextLibrary, true},
                                           Soaked{"automation", kAutomationLibrary, false}),
                         CaseName());

}  // namespace
}  // namespace velmora::test
