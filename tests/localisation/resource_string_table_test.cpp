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
TEST(ResourceStringTable, AppliedAgainWhenAnythingDiffers) {
  const struct {
    const char* what;
    std::string texts;
    suite::cxResourceStringTableEntry entry;
    std::uint32_t id;
    bool otherModule;
    const char* expected;
  } cases[] = {
      {"the same table", "oldnew", {0, 0, 0, 3}, 10, false, "old"},
      {"other text bytes", "olDnew", {0, 0, 0, 3}, 10, false, "olD"},
      {"another entry", "oldnew", {0, 0, 3, 3}, 10, false, "new"},
      {"a record of another id", "oldnew", {0, 0, 0, 3}, 12, false, "old"},
      {"records of another module", "oldnew", {0, 0, 0, 3}, 10, true, "old"},
  };
  for (const auto& c : cases) {
    Modules m;
    const std::string before = "oldnew";
    const std::vector<suite::cxResourceStringTableEntry> entries = {{0, 0, 0, 3}};
    suite::cxSetResourceStringTable(m.units, entries, before);
    m.firstRecords[0].Identifier = c.id;
    if (c.otherModule) {
      for (rtl::TResStringRec& rec : m.firstRecords) rec.Module = &m.secondHandle;
    }
    const std::vector<suite::cxResourceStringTableEntry> again = {c.entry};
    suite::cxSetResourceStringTable(m.units, again, c.texts);
    EXPECT_EQ(Current(m.firstRecords[0]), c.expected) << c.what;
  }
}

TEST(ResourceStringTable, StopsAtAnEntryOutsideItsUnitsOrTexts) {
  const struct {
    const char* what;
    suite::cxResourceStringTableEntry bad;
  } cases[] = {
      {"unit beyond the units", {2, 0, 0, 1}},
      {"index beyond its unit", {1, 2, 0, 1}},
      {"text starting beyond the texts", {0, 1, 5, 0}},
      {"text running past the texts", {0, 1, 2, 3}},
  };
  for (const auto& c : cases) {
    Modules m;
    const std::vector<suite::cxResourceStringTableEntry> entries = {{0, 0, 0, 2}, c.bad, {0, 2, 0, 4}};
    EXPECT_THROW(suite::cxSetResourceStringTable(m.units, entries, "text"), rtl::EResNotFound) << c.what;
    EXPECT_EQ(Current(m.firstRecords[0]), "te") << c.what << ": the entry before it stays applied";
    EXPECT_EQ(Current(m.firstRecords[2]), "(not replaced)") << c.what << ": the entry after it is not applied";
  }
}

}  // namespace
