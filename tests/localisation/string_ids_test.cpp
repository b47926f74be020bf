// The ids of the library's own resource strings and the string table of
// the built library file that holds their English defaults.
#include <gtest/gtest.h>

#include <set>

#include "ContextStrings.h"
#include "host/LibraryResources.h"
#include "runtime/text/Unicode.h"
#include "tests/localisation/ExtendedControlsTexts.h"
#include "tests/localisation/LocalisationData.h"

namespace velmora::test::loc {
namespace {

namespace ps = context::dxPSRes;
namespace ext = context::dxExtCtrlsStrs;

constexpr std::uint32_t kLowestId = 64224;
constexpr std::uint32_t kHighestId = 65535;

// The record at position p of the combined order (extended controls first).
const rtl::TResStringRec& RecordAt(std::size_t p) { return p < ext::Count ? ext::Strings[p] : ps::Strings[p - ext::Count]; }

std::string PrintingSystemName(std::size_t index) { return ps::NameBlob + ps::NameOffsets[index]; }

TEST(StringIds, AreDealtOutFromTheTopInBlocksOfSixteen) {
  ASSERT_EQ(ext::Count + ps::Count, 1312u) << "expected 55 + 1257 strings, got " << ext::Count << " + " << ps::Count;
  std::set<std::uint32_t> ids;
  for (std::size_t p = 0; p < ext::Count + ps::Count; ++p) {
    const std::uint32_t expected = static_cast<std::uint32_t>((4095 - p / 16) * 16 + p % 16);
    EXPECT_EQ(RecordAt(p).Identifier, expected) << "position " << p << ": expected id " << expected << ", got "
                                                << RecordAt(p).Identifier;
    ids.insert(RecordAt(p).Identifier);
  }
  EXPECT_EQ(ids.size(), 1312u) << "expected 1312 distinct ids, got " << ids.size();
  EXPECT_EQ(*ids.begin(), kLowestId) << "expected the lowest id " << kLowestId << ", got " << *ids.begin();
  EXPECT_EQ(*ids.rbegin(), kHighestId) << "expected the highest id " << kHighestId << ", got " << *ids.rbegin();
}

TEST(StringIds, ExtendedControlsStringsHaveTheirIds) {
  for (std::size_t i = 0; i < ext::Count; ++i) {
    EXPECT_EQ(ext::Strings[i].Identifier, kExtendedControls[i].id)
        << kExtendedControls[i].english << ": expected id " << kExtendedControls[i].id << ", got "
        << ext::Strings[i].Identifier;
  }
}

TEST(StringIds, PrintingSystemStringsHaveTheirIds) {
  struct Case {
    std::size_t index;
    const char* name;
    std::uint32_t id;
  };
  const Case cases[] = {
      {ps::sdxBtnOK, "sdxBtnOK", 65479},
      {ps::sdxBtnOKAccelerated, "sdxBtnOKAccelerated", 65480},
      {ps::sdxBtnIgnore, "sdxBtnIgnore", 65487},
      {ps::sdxBtnYes, "sdxBtnYes", 65456},
      {ps::sdxBtnEdit, "sdxBtnEdit", 65458},
      {ps::sdxConfirmDeleteItem, "sdxConfirmDeleteItem", 65421},
      {ps::sdxColorGray40, "sdxColorGray40", 65232},
      {ps::sdxPrintDialogPageNumbersOutOfRange, "sdxPrintDialogPageNumbersOutOfRange", 65110},
      {ps::sdxComponentNotSupported, "sdxComponentNotSupported", 65066},
      {ps::sdxComponentAlreadyExists, "sdxComponentAlreadyExists", 64560},
      {ps::sdxWrapData, "sdxWrapData", 64485},
      {ps::sdxMenuShortcutExplorer, "sdxMenuShortcutExplorer", 64486},
      {ps::sdxPurchaseMonth, "sdxPurchaseMonth", 64237},
      {ps::sdxCompanyName, "sdxCompanyName", 64239},
      {ps::sdxRowFields, "sdxRowFields", 64224},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PrintingSystemName(c.index), c.name) << "expected the name " << c.name << " at index " << c.index
                                                   << ", got " << PrintingSystemName(c.index);
    EXPECT_EQ(ps::Strings[c.index].Identifier, c.id) << c.name << ": expected id " << c.id << ", got "
                                                     << ps::Strings[c.index].Identifier;
  }
  EXPECT_EQ(ps::sdxCompanyName, ps::Count - 1) << "expected sdxCompanyName to be the last string";
}

class LibraryStringTable : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    resources_ = std::make_unique<host::LibraryResources>(VELMORA_CONTEXT_LIBRARY);
    for (const rtl::ResourceEntry& r : resources_->Directory().Entries()) {
      if (r.type == rtl::RT_STRING) blocks_.push_back(&r);
    }
  }
  static void TearDownTestSuite() {
    blocks_.clear();
    resources_.reset();
  }

  // Every string of every block, by id.
  static std::map<std::uint32_t, std::u16string> AllStrings() {
    std::map<std::uint32_t, std::u16string> all;
    for (const rtl::ResourceEntry* block : blocks_) {
      std::string error;
      all.merge(ParseStringBlock(block->id, block->data, error));
      EXPECT_EQ(error, "") << "expected well-formed string blocks";
    }
    return all;
  }

  static inline std::unique_ptr<host::LibraryResources> resources_;
  static inline std::vector<const rtl::ResourceEntry*> blocks_;
};

TEST_F(LibraryStringTable, HoldsExactlyTheBlocksOfTheRecordIds) {
  std::set<std::uint32_t> numbers;
  for (const rtl::ResourceEntry* block : blocks_) {
    EXPECT_TRUE(block->name.empty()) << "expected blocks known by number, got the name " << block->name;
    EXPECT_EQ(block->language, 0) << "block " << block->id << ": expected the neutral language, got "
                                  << block->language;
    EXPECT_TRUE(numbers.insert(block->id).second) << "expected block " << block->id << " once, got it twice";
  }
  std::set<std::uint32_t> expected;
  for (std::uint32_t n = 4015; n <= 4096; ++n) expected.insert(n);
  EXPECT_EQ(numbers, expected) << "expected the 82 blocks 4015..4096, got " << numbers.size() << " blocks from "
                               << (numbers.empty() ? 0 : *numbers.begin()) << " to "
                               << (numbers.empty() ? 0 : *numbers.rbegin());

  const std::map<std::uint32_t, std::u16string> all = AllStrings();
  ASSERT_EQ(all.size(), 1312u) << "expected 1312 strings, got " << all.size();
  EXPECT_EQ(all.begin()->first, kLowestId) << "expected the lowest id " << kLowestId << ", got " << all.begin()->first;
  EXPECT_EQ(all.rbegin()->first, kHighestId) << "expected the highest id " << kHighestId << ", got "
                                             << all.rbegin()->first;
}

TEST_F(LibraryStringTable, HoldsTheEnglishDefaultOfEveryRecord) {
  const std::map<std::uint32_t, std::u16string> all = AllStrings();
  const auto check = [&](std::uint32_t id, const std::string& utf8, const std::string& what) {
    const auto it = all.find(id);
    if (it == all.end()) {
      ADD_FAILURE() << what << ": expected id " << id << " in the string table, got none";
      return;
    }
    EXPECT_TRUE(it->second == rtl::Utf8ToWide(utf8))
        << what << " (id " << id << "): expected \"" << utf8 << "\", got \"" << rtl::WideToUtf8(it->second) << "\"";
  };
  for (std::size_t i = 0; i < ext::Count; ++i) {
    check(ext::Strings[i].Identifier, kExtendedControls[i].english, "extended-controls string " + std::to_string(i + 1));
  }
  const std::map<std::string, std::string>& defaults = PrintingSystemDefaults();
  for (std::size_t i = 0; i < ps::Count; ++i) {
    const std::string name = PrintingSystemName(i);
    check(ps::Strings[i].Identifier, defaults.at(name), name);
  }
}

TEST_F(LibraryStringTable, EmptyDefaultsArePresentAsEmptyStrings) {
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"sdxPreferenceDlgTab2", 64879}, {"sdxPreferenceDlgTab3", 64848}, {"sdxPreferenceDlgTab4", 64849},
      {"sdxPreferenceDlgTab5", 64850}, {"sdxPreferenceDlgTab6", 64851}, {"sdxPreferenceDlgTab7", 64852},
      {"sdxPreferenceDlgTab8", 64853}, {"sdxPreferenceDlgTab9", 64854}, {"sdxPreferenceDlgTab10", 64855},
      {"sdxItem1Description", 64710},  {"sdxItem5Description", 64714},  {"sdxItem6Description", 64715},
  };
  const std::map<std::uint32_t, std::u16string> all = AllStrings();
  std::set<std::uint32_t> expected;
  for (const auto& [name, id] : cases) expected.insert(id);
  std::set<std::uint32_t> empty;
  for (const auto& [id, text] : all) {
    if (text.empty()) empty.insert(id);
  }
  EXPECT_EQ(empty, expected) << "expected the twelve given ids to hold the only empty strings";
  for (const auto& [name, id] : cases) {
    std::size_t index = ps::Count;
    for (std::size_t i = 0; i < ps::Count; ++i) {
      if (PrintingSystemName(i) == name) index = i;
    }
    ASSERT_LT(index, ps::Count) << "expected a string named " << name;
    EXPECT_EQ(ps::Strings[index].Identifier, id) << name << ": expected id " << id << ", got "
                                                 << ps::Strings[index].Identifier;
  }
}

}  // namespace
}  // namespace velmora::test::loc
