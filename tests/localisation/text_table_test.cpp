// The Chinese text table as the library carries it (the generated constant
// table), checked against the keys, texts and ids written out for it, and
// the string-table blocks of the built library file.
#include <gtest/gtest.h>

#include <set>

#include "ContextStrings.h"
#include "host/loader/LibraryResources.h"
#include "runtime/text/Gbk.h"
#include "tests/localisation/LocalisationData.h"
#include "tests/support/Expectations.h"
#include "tests/support/LibraryPaths.h"

namespace velmora::test::loc {
namespace {

using context::ChineseTexts::Entries;
using context::ChineseTexts::Entry;
using velmora::test::CaseName;

// Positions (1-based) of the entries whose unit and key are these.
std::vector<std::size_t> PositionsOf(std::string_view unit, std::string_view key) {
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i < std::size(Entries); ++i) {
    if (EntryUnit(Entries[i]) == unit && EntryKey(Entries[i]) == key) positions.push_back(i + 1);
  }
  return positions;
}

TEST(ChineseTextTable, Has1524EntriesFor1523Keys) {
  ASSERT_EQ(std::size(Entries), 1524u);
  std::set<std::pair<int, int>> keys;
  for (const Entry& e : Entries) keys.emplace(e.unit, e.index);
  EXPECT_EQ(keys.size(), 1523u);
}

TEST(ChineseTextTable, TheKeyTwiceHasTheSameTextBothTimes) {
  const std::vector<std::size_t> positions = PositionsOf("Cxgridstrs", "scxGridChartValueHintFormat");
  EXPECT_EQ(positions, (std::vector<std::size_t>{45, 1485}));
  for (std::size_t p : positions) EXPECT_EQ(EntryText(Entries[p - 1]), "%s for %s is %s");
}

TEST(ChineseTextTable, RunsInFourteenBlocksInTheirOrder) {
  const std::vector<std::pair<std::string_view, std::size_t>> expected = {
      {"Cxexportstrs", 19},   {"Cxlibrarystrs", 2},   {"Cxgridstrs", 24},   {"Cxgridpopupmenuconsts", 23},
      {"dxExtCtrlsStrs", 55}, {"Cxfilterconsts", 40}, {"Cxdataconsts", 12}, {"Cxfiltercontrolstrs", 33},
      {"Cxeditconsts", 34},   {"Cxlibrarystrs", 20},  {"Cxeditconsts", 52}, {"dxPSRes", 991},
      {"Dxbarstrs", 178},     {"Cxgridstrs", 41}};
  std::vector<std::pair<std::string_view, std::size_t>> blocks;
  for (const Entry& e : Entries) {
    if (blocks.empty() || blocks.back().first != EntryUnit(e)) blocks.emplace_back(EntryUnit(e), 0);
    ++blocks.back().second;
  }
  EXPECT_EQ(blocks, expected);
}

// Each unit's keys, each once, in table order, as expected_names.txt lists them.
TEST(ChineseTextTable, HoldsTheExpectedKeysOfEachUnit) {
  std::map<std::string, std::vector<std::string>, std::less<>> keys;
  for (const Entry& e : Entries) {
    std::vector<std::string>& list = keys[std::string(EntryUnit(e))];
    const std::string key = EntryKey(e);
    if (std::find(list.begin(), list.end(), key) == list.end()) list.push_back(key);
  }
  for (std::string_view unit : {"Cxexportstrs", "Cxlibrarystrs", "Cxgridstrs", "Cxgridpopupmenuconsts",
                                "Cxfilterconsts", "Cxdataconsts", "Cxfiltercontrolstrs", "Cxeditconsts", "Dxbarstrs"}) {
    EXPECT_EQ(Difference(ExpectedNames(unit), keys[std::string(unit)]), "") << unit;
  }
  // The printing system's block: the first 991 of its 1257 names.
  const std::vector<std::string>& all = ExpectedNames("dxPSRes");
  ASSERT_EQ(all.size(), 1257u);
  EXPECT_EQ(Difference(std::vector<std::string>(all.begin(), all.begin() + 991), keys["dxPSRes"]), "");
}

// Block 5, positions 69 to 123: every colour and brush style in declaration
// order with its Chinese text, slips included ("窗口文本t", "浅绿" twice).
TEST(ChineseTextTable, ExtendedControlsBlockHasEveryGivenText) {
  const std::vector<GivenExtendedString>& given = GivenExtendedStrings();
  ASSERT_EQ(given.size(), 55u);
  for (const GivenExtendedString& g : given) {
    const Entry& e = Entries[68 + g.position - 1];
    EXPECT_EQ(EntryUnit(e), "dxExtCtrlsStrs");
    EXPECT_EQ(e.index + 1u, g.position);
    EXPECT_EQ(EntryText(e), rtl::Utf8ToGbk(g.chinese)) << "position " << g.position << ": expected " << g.chinese;
  }
}

TEST(ChineseTextTable, EmptyTextsAreExactlyTheFifteenGiven) {
  const std::vector<std::string> expected = {
      "scxGridNoDataInfoText", "cxSEditCheckBoxGrayed", "cxSRadioGroupDefaultCaption", "sdxPreferenceDlgTab2",
      "sdxPreferenceDlgTab3",  "sdxPreferenceDlgTab4",  "sdxPreferenceDlgTab5",        "sdxPreferenceDlgTab6",
      "sdxPreferenceDlgTab7",  "sdxPreferenceDlgTab8",  "sdxPreferenceDlgTab9",        "sdxPreferenceDlgTab10",
      "sdxItem1Description",   "sdxItem5Description",   "sdxItem6Description"};
  std::vector<std::string> empty;
  for (const Entry& e : Entries) {
    if (e.textLength == 0) empty.push_back(EntryKey(e));
  }
  EXPECT_EQ(Difference(expected, empty), "");
}

// Texts that must stand exactly as written, slips included: escapes, line
// breaks, percent signs, a missing parenthesis, stray letters.
struct WrittenCase {
  std::string name, unit, key, text;
};
void PrintTo(const WrittenCase& c, std::ostream* os) { *os << c.name; }

class Written : public ::testing::TestWithParam<WrittenCase> {};

TEST_P(Written, TextStandsAsWritten) {
  const std::vector<std::size_t> positions = PositionsOf(GetParam().unit, GetParam().key);
  ASSERT_EQ(positions.size(), 1u);
  EXPECT_EQ(EntryText(Entries[positions[0] - 1]), GetParam().text) << "expected " << Readable(GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    ChineseTextTable, Written,
    ::testing::Values(
        WrittenCase{"MissingParenthesis", "dxPSRes", "sdxBtnOKAccelerated", "确定(&O"},
        WrittenCase{"StrayLetter", "dxExtCtrlsStrs", "11", "窗口文本t"},
        WrittenCase{"DoubledPercent", "dxPSRes", "sdxBuildingReport", "构建报表：已完成 %d%%"},
        WrittenCase{"LonePercent", "dxPSRes", "sdxPercentOfNormalSize", "% 正常大小"},
        WrittenCase{"LineBreak", "dxPSRes", "sdxComponentNotAssigned", "%s\r\n没有指定组件属性"},
        WrittenCase{"Quote", "dxPSRes", "sdxUnitsInches", "\""},
        WrittenCase{"Backslash", "Cxlibrarystrs", "scxCantCreateRegistryKey", "不能创建registry key: \\%s"},
        WrittenCase{"TrailingBlank", "Cxeditconsts", "scxRegExprHexNumberExpected", "期待十六进制数的位置发现了 '%s' "},
        WrittenCase{"LeadingBlank", "Dxbarstrs", "dxSBAR_CP_SINGLEVIEWLEVELITEMSUFFIX", " ONLY"}),
    CaseName());

// The strings of this library, whose English defaults are known: each
// Chinese text takes the same arguments in the same order.
TEST(ChineseTextTable, FormatStringsKeepThePlaceholdersOfTheirEnglishDefaults) {
  std::size_t formats = 0;
  for (std::size_t i = 0; i < std::size(Entries); ++i) {
    const Entry& e = Entries[i];
    std::string english;
    if (EntryUnit(e) == "dxExtCtrlsStrs") {
      english = GivenExtendedStrings().at(e.index).text;
    } else if (EntryUnit(e) == "dxPSRes") {
      english = PrintingSystemDefaults().at(EntryKey(e));
    } else {
      continue;
    }
    const std::vector<std::string> expected = Placeholders(english);
    if (!expected.empty()) ++formats;
    EXPECT_EQ(Placeholders(rtl::GbkToUtf8(EntryText(e))), expected) << "position " << i + 1 << " " << EntryKey(e);
  }
  EXPECT_GE(formats, 30u) << "expected the printing system's format strings to be checked";
}

TEST(Placeholders, AreReadAsTheFormatFunctionReadsThem) {
  EXPECT_EQ(Placeholders("%d%% of %0:s, %-10.2f, %1; 12.5% Gray"),
            (std::vector<std::string>{"%d", "%%", "%0:s", "%-10.2f", "%1"}));
}

TEST(ChineseTextTable, TextsLeftInEnglishAreExactlyTheGivenOnes) {
  std::vector<std::string> unchanged;
  for (const Entry& e : Entries) {
    if (EntryUnit(e) != "dxPSRes" || e.textLength == 0) continue;
    const std::string key = EntryKey(e);
    if (EntryText(e) == rtl::Utf8ToGbk(PrintingSystemDefaults().at(key))) unchanged.push_back(key);
  }
  ASSERT_EQ(ExpectedNames("unchanged").size(), 149u);
  EXPECT_EQ(Difference(ExpectedNames("unchanged"), unchanged), "");
}

namespace ps = context::dxPSRes;
namespace ext = context::dxExtCtrlsStrs;

// The ids written out: every extended control's, and the printing system's
// telling strings; together the 1312 strings fill 64224 to 65535.
TEST(StringIds, ExtendedControlsHaveTheGivenIds) {
  ASSERT_EQ(ext::Count, 55u);
  for (const GivenExtendedString& g : GivenExtendedStrings()) {
    EXPECT_EQ(ext::Strings()[g.position - 1].Identifier, g.id) << "extended control " << g.position;
  }
}

TEST(StringIds, PrintingStringsHaveTheGivenNamesWithTheirIds) {
  ASSERT_EQ(ps::Count, 1257u);
  for (const GivenPrintingString& g : GivenPrintingStrings()) {
    const std::size_t i = g.position - 1;
    EXPECT_EQ(std::string_view(ps::NameBlob + ps::NameOffsets[i]), g.name) << "position " << g.position;
    EXPECT_EQ(ps::Strings()[i].Identifier, g.id) << g.name;
  }
  EXPECT_GE(GivenPrintingStrings().size(), 100u);
}

TEST(StringIds, Fill64224To65535) {
  std::set<std::uint32_t> ids;
  for (const rtl::TResStringRec& r : ext::Strings()) ids.insert(r.Identifier);
  for (const rtl::TResStringRec& r : ps::Strings()) ids.insert(r.Identifier);
  EXPECT_EQ(ids.size(), 1312u);
  EXPECT_EQ(*ids.begin(), 64224u);
  EXPECT_EQ(*ids.rbegin(), 65535u);
}

TEST(StringIds, TheLibraryFileHoldsTheir82StringTableBlocks) {
  const host::LibraryResources resources(kContextLibrary);
  std::multiset<std::uint32_t> blocks;
  for (const rtl::ResourceEntry& r : resources.Directory().Entries()) {
    if (r.type != rtl::RT_STRING) continue;
    EXPECT_TRUE(r.name.empty() && r.language == 0) << "block " << r.id << ": expected a neutral block by number";
    blocks.insert(r.id);
  }
  std::multiset<std::uint32_t> expected;
  for (std::uint32_t n = 4015; n <= 4096; ++n) expected.insert(n);
  EXPECT_EQ(blocks, expected);
}

}  // namespace
}  // namespace velmora::test::loc
