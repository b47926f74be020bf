// A whole table of replacements handed to the suite in one call: the same
// as one cxSetResourceString per entry, in table order, across modules.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "runtime/except/Exceptions.h"
#include "runtime/module/Module.h"
#include "suite/cxClasses.h"
#include "tests/support/Expectations.h"

namespace {

// Two modules with a few records each, named afresh for every use since the
// suite keeps replacements by module name. They carry no string table: only
// replaced texts are looked at here.
constexpr std::uint8_t kNoResources[] = {'V', 'R', 'E', 'S', 0, 0, 0, 0};

struct Modules {
  static inline int made = 0;
  const std::string tag = std::to_string(++made);
  rtl::TLibModule first{"table-test-first-" + tag, kNoResources};
  rtl::TLibModule second{"table-test-second-" + tag, kNoResources};
  rtl::HINST firstHandle = &first;
  rtl::HINST secondHandle = &second;
  std::array<rtl::TResStringRec, 3> firstRecords{{{&firstHandle, 10}, {&firstHandle, 11}, {&firstHandle, 300}}};
  std::array<rtl::TResStringRec, 2> secondRecords{{{&secondHandle, 10}, {&secondHandle, 65535}}};
  std::array<std::span<const rtl::TResStringRec>, 2> units{firstRecords, secondRecords};
};

std::string Current(const rtl::TResStringRec& rec) {
  return suite::cxHasResourceString(&rec) ? suite::cxGetResourceString(&rec) : "(not replaced)";
}

TEST(ResourceStringTable, AppliesEveryEntryInOrderAcrossModules) {
  Modules m;
  const std::string texts = "alphabetagammaalpha2";
  const std::vector<suite::cxResourceStringTableEntry> entries = {
      {0, 0, 0, 5},   // first #10  alpha
      {1, 0, 5, 4},   // second #10 beta: same id, other module
      {0, 2, 9, 5},   // first #300 gamma: another page of ids
      {0, 1, 0, 0},   // first #11  empty, still applied
      {1, 1, 14, 6},  // second #65535 alpha2
      {0, 0, 14, 6},  // first #10 again: the later text stays
  };
  suite::cxSetResourceStringTable(m.units, entries, texts);
  EXPECT_EQ(Current(m.firstRecords[0]), "alpha2");
  EXPECT_EQ(Current(m.firstRecords[1]), "");
  EXPECT_EQ(Current(m.firstRecords[2]), "gamma");
  EXPECT_EQ(Current(m.secondRecords[0]), "beta");
  EXPECT_EQ(Current(m.secondRecords[1]), "alpha2");
}

TEST(ResourceStringTable, AppliedAgainReplacesWhatWasSetInBetween) {
  Modules m;
  const std::string texts = "abcabd";
  const std::vector<suite::cxResourceStringTableEntry> entries = {{0, 0, 0, 3}, {0, 1, 3, 3}};
  suite::cxSetResourceStringTable(m.units, entries, texts);
  // Texts of the same length and a text made empty are set again too.
  suite::cxSetResourceString(&m.firstRecords[0], "xyz");
  suite::cxSetResourceString(&m.firstRecords[1], "");
  ASSERT_EQ(Current(m.firstRecords[0]), "xyz");
  ASSERT_EQ(Current(m.firstRecords[1]), "");
  suite::cxSetResourceStringTable(m.units, entries, texts);
  EXPECT_EQ(Current(m.firstRecords[0]), "abc");
  EXPECT_EQ(Current(m.firstRecords[1]), "abd");
}

// A library loaded again hands over the same table; whatever differs in it
// from the table applied before is applied.
struct AgainCase {
  std::string name, texts;
  suite::cxResourceStringTableEntry entry;
  std::uint32_t id;
  bool otherModule;
  std::string expected;
};
void PrintTo(const AgainCase& c, std::ostream* os) { *os << c.name; }

class AppliedAgain : public ::testing::TestWithParam<AgainCase> {};

TEST_P(AppliedAgain, SetsWhatDiffersFromTheTableBefore) {
  Modules m;
  const std::vector<suite::cxResourceStringTableEntry> entries = {{0, 0, 0, 3}};
  suite::cxSetResourceStringTable(m.units, entries, "oldnew");
  m.firstRecords[0].Identifier = GetParam().id;
  if (GetParam().otherModule) {
    for (rtl::TResStringRec& rec : m.firstRecords) rec.Module = &m.secondHandle;
  }
  const std::vector<suite::cxResourceStringTableEntry> again = {GetParam().entry};
  suite::cxSetResourceStringTable(m.units, again, GetParam().texts);
  EXPECT_EQ(Current(m.firstRecords[0]), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Tables, AppliedAgain,
                         ::testing::Values(AgainCase{"SameTable", "oldnew", {0, 0, 0, 3}, 10, false, "old"},
                                           AgainCase{"OtherTextBytes", "olDnew", {0, 0, 0, 3}, 10, false, "olD"},
                                           AgainCase{"AnotherEntry", "oldnew", {0, 0, 3, 3}, 10, false, "new"},
                                           AgainCase{"RecordOfAnotherId", "oldnew", {0, 0, 0, 3}, 12, false, "old"},
                                           AgainCase{
                                               "RecordsOfAnotherModule", "oldnew", {0, 0, 0, 3}, 10, true, "old"}),
                         velmora::test::CaseName());

struct BadEntryCase {
  std::string name;
  suite::cxResourceStringTableEntry bad;
};

void PrintTo(const BadEntryCase& c, std::ostream* os) { *os << c.name; }

// A table whose second entry lies outside its units or texts.
class BadEntry : public ::testing::TestWithParam<BadEntryCase> {
 protected:
  void Apply() {
    const std::vector<suite::cxResourceStringTableEntry> entries = {{0, 0, 0, 2}, GetParam().bad, {0, 2, 0, 4}};
    suite::cxSetResourceStringTable(m.units, entries, "text");
  }
  Modules m;
};

TEST_P(BadEntry, Raises) { EXPECT_THROW(Apply(), rtl::EResNotFound); }

TEST_P(BadEntry, EntryBeforeItStaysApplied) {
  EXPECT_THROW(Apply(), rtl::EResNotFound);
  EXPECT_EQ(Current(m.firstRecords[0]), "te");
}

TEST_P(BadEntry, EntryAfterItIsNotApplied) {
  EXPECT_THROW(Apply(), rtl::EResNotFound);
  EXPECT_EQ(Current(m.firstRecords[2]), "(not replaced)");
}

INSTANTIATE_TEST_SUITE_P(Tables, BadEntry,
                         ::testing::Values(BadEntryCase{"UnitBeyondTheUnits", {2, 0, 0, 1}},
                                           BadEntryCase{"IndexBeyondItsUnit", {1, 2, 0, 1}},
                                           BadEntryCase{"TextStartingBeyondTheTexts", {0, 1, 5, 0}},
                                           BadEntryCase{"TextRunningPastTheTexts", {0, 1, 2, 3}}),
                         velmora::test::CaseName());

}  // namespace
