// The Chinese text table as the library carries it (the generated constant
// table) and as its data file writes it: size, blocks, keys, empty texts,
// the texts given as they stand, and the placeholders of format strings.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "ContextStrings.h"
#include "runtime/text/Gbk.h"
#include "tests/localisation/ExtendedControlsTexts.h"
#include "tests/localisation/LocalisationData.h"

namespace velmora::test::loc {
namespace {

using context::ChineseTexts::Entries;
using context::ChineseTexts::Entry;

// Positions (1-based) of the entries whose unit and key are these.
std::vector<std::size_t> PositionsOf(std::string_view unit, std::string_view key) {
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i < std::size(Entries); ++i) {
    if (EntryUnit(Entries[i]) == unit && EntryKey(Entries[i]) == key) positions.push_back(i + 1);
  }
  return positions;
}

TEST(ChineseTextTable, HasAllEntriesWithOneKeyTwice) {
  ASSERT_EQ(std::size(Entries), 1524u) << "expected 1524 entries, got " << std::size(Entries);
  std::set<std::pair<int, int>> keys;
  for (const Entry& e : Entries) keys.emplace(e.unit, e.index);
  EXPECT_EQ(keys.size(), 1523u) << "expected 1523 distinct keys, got " << keys.size();

  const std::vector<std::size_t> positions = PositionsOf("Cxgridstrs", "scxGridChartValueHintFormat");
  EXPECT_EQ(positions, (std::vector<std::size_t>{45, 1485}))
      << "expected scxGridChartValueHintFormat at positions 45 and 1485, got " << ::testing::PrintToString(positions);
  for (std::size_t p : positions) {
    EXPECT_EQ(EntryText(Entries[p - 1]), "%s for %s is %s")
        << "expected \"%s for %s is %s\" at position " << p << ", got " << Show(EntryText(Entries[p - 1]));
  }
}

TEST(ChineseTextTable, RunsInFourteenBlocksInTheirOrder) {
  const std::vector<std::pair<std::string_view, std::size_t>> expected = {
      {"Cxexportstrs", 19},  {"Cxlibrarystrs", 2},          {"Cxgridstrs", 24},     {"Cxgridpopupmenuconsts", 23},
      {"dxExtCtrlsStrs", 55}, {"Cxfilterconsts", 40},       {"Cxdataconsts", 12},   {"Cxfiltercontrolstrs", 33},
      {"Cxeditconsts", 34},  {"Cxlibrarystrs", 20},         {"Cxeditconsts", 52},   {"dxPSRes", 991},
      {"Dxbarstrs", 178},    {"Cxgridstrs", 41}};
  std::vector<std::pair<std::string_view, std::size_t>> blocks;
  for (const Entry& e : Entries) {
    if (blocks.empty() || blocks.back().first != EntryUnit(e)) blocks.emplace_back(EntryUnit(e), 0);
    ++blocks.back().second;
  }
  ASSERT_EQ(blocks.size(), expected.size()) << "expected 14 blocks, got " << blocks.size();
  std::size_t start = 1;
  for (std::size_t b = 0; b < expected.size(); ++b) {
    EXPECT_EQ(blocks[b], expected[b]) << "block " << b + 1 << " (from position " << start << "): expected "
                                      << expected[b].first << " x" << expected[b].second << ", got "
                                      << blocks[b].first << " x" << blocks[b].second;
    start += blocks[b].second;
  }
}

TEST(ChineseTextTable, KeysOfEachUnitFollowTheirListsInOrder) {
  std::map<std::string, std::vector<std::string>, std::less<>> keys;  // each once, in table order
  for (const Entry& e : Entries) {
    std::vector<std::string>& list = keys[std::string(EntryUnit(e))];
    const std::string key = EntryKey(e);
    if (std::find(list.begin(), list.end(), key) == list.end()) list.push_back(key);
  }
  for (std::string_view unit : {"Cxexportstrs", "Cxlibrarystrs", "Cxgridstrs", "Cxgridpopupmenuconsts", "Cxfilterconsts",
                                "Cxdataconsts", "Cxfiltercontrolstrs", "Cxeditconsts", "Dxbarstrs"}) {
    const std::vector<std::string>& expected = ExpectedNames(unit);
    ASSERT_FALSE(expected.empty()) << "expected a key list for " << unit << " in expected_names.txt";
    EXPECT_EQ(Difference(expected, keys[std::string(unit)]), "") << unit;
  }
  // The printing system's block: its first 991 names, sdxBtnOK to sdxWrapData.
  const std::vector<std::string>& all = ExpectedNames("dxPSRes");
  ASSERT_EQ(all.size(), 1257u) << "expected 1257 printing-system names, got " << all.size();
  const std::vector<std::string> first991(all.begin(), all.begin() + 991);
  EXPECT_EQ(first991.front(), "sdxBtnOK");
  EXPECT_EQ(first991.back(), "sdxWrapData");
  EXPECT_EQ(Difference(first991, keys["dxPSRes"]), "") << "dxPSRes";
}

TEST(ChineseTextTable, MatchesItsDataFileRowByRow) {
  const std::vector<TableRow> rows = ReadTextTable();
  ASSERT_EQ(rows.size(), std::size(Entries)) << "expected the data file's " << rows.size()
                                             << " rows in the generated table, got " << std::size(Entries);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Entry& e = Entries[i];
    const std::string text = rtl::Utf8ToGbk(rows[i].text);
    EXPECT_TRUE(EntryUnit(e) == rows[i].unit && EntryKey(e) == rows[i].key && EntryText(e) == text)
        << "position " << i + 1 << ": expected " << rows[i].unit << " " << rows[i].key << " " << Show(text)
        << ", got " << EntryUnit(e) << " " << EntryKey(e) << " " << Show(EntryText(e));
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

TEST(ChineseTextTable, ExtendedControlsBlockCarriesTheGivenTexts) {
  const std::vector<std::string>& defaults = ExtendedControlsDefaults();
  ASSERT_EQ(defaults.size(), std::size(kExtendedControls))
      << "expected 55 extended-controls strings in the data, got " << defaults.size();
  const std::vector<std::size_t> first = PositionsOf("dxExtCtrlsStrs", "1");
  ASSERT_EQ(first, std::vector<std::size_t>{69}) << "expected the block to start at position 69";
  for (std::size_t i = 0; i < std::size(kExtendedControls); ++i) {
    const Entry& e = Entries[68 + i];
    const ExtendedControlsString& s = kExtendedControls[i];
    EXPECT_EQ(EntryKey(e), std::to_string(i + 1)) << "position " << 69 + i << ": expected string " << i + 1
                                                  << ", got " << EntryUnit(e) << " " << EntryKey(e);
    EXPECT_EQ(EntryText(e), s.chinese) << s.english << ": expected " << Show(s.chinese) << ", got "
                                       << Show(EntryText(e));
    EXPECT_EQ(defaults[i], s.english) << "string " << i + 1 << ": expected the default " << s.english << ", got "
                                      << defaults[i];
  }
}

// Texts that must stand exactly as written, slips included: escapes, line
// breaks, percent signs, a missing parenthesis, stray letters.
TEST(ChineseTextTable, GivenTextsStandAsWritten) {
  struct Case {
    const char* unit;
    const char* key;
    const char* text;
  };
  const Case cases[] = {
      {"dxPSRes", "sdxBtnOK", "确定(&O)"},
      {"dxPSRes", "sdxBtnOKAccelerated", "确定(&O"},
      {"dxExtCtrlsStrs", "11", "窗口文本t"},
      {"Cxdataconsts", "cxSDBNotInGridMode", "数据控制器不在表格(Grid)模式e"},
      {"dxExtCtrlsStrs", "30", "橙"},
      {"dxExtCtrlsStrs", "34", "浅绿"},
      {"dxExtCtrlsStrs", "37", "浅绿"},
      {"dxPSRes", "sdxCarModel1", "X5 4WD"},
      {"dxPSRes", "sdxPrintDialogPageNumbersOutOfRange", "页码超出范围 (%d - %d)"},
      {"dxPSRes", "sdxBuildingReport", "构建报表：已完成 %d%%"},
      {"dxPSRes", "sdxPercentOfNormalSize", "% 正常大小"},
      {"dxPSRes", "sdxColorGray80", "灰色-80%"},
      {"dxPSRes", "sdxPatternGray5", "5%"},
      {"dxPSRes", "sdxComponentNotAssigned", "%s\r\n没有指定组件属性"},
      {"dxPSRes", "sdxFileAlreadyExists", "文件 \"%s\" 已经存在。"},
      {"dxPSRes", "sdxUnitsInches", "\""},
      {"dxPSRes", "sdxLinkIsNotIncludedInUsesClause",
       "ReportFile contains ReportLink \"%0:s\"\r\nUnit with declaration of \"%0:s\" must be included in uses clause"},
      {"Cxlibrarystrs", "scxCantCreateRegistryKey", "不能创建registry key: \\%s"},
      {"Cxgridstrs", "scxGridConverterIntermediaryMissing", "缺少一个中间组件!\r\n请添加一个 %s 组件到窗体."},
      {"Cxgridstrs", "scxGridChartPercentValueTickMarkLabelFormat", "0%"},
      {"Cxeditconsts", "scxRegExprHexNumberExpected", "期待十六进制数的位置发现了 '%s' "},
      {"Cxexportstrs", "scxUnsupportedExport", "不提供的输出类型: %1"},
      {"Dxbarstrs", "dxSBAR_ADDTOQATITEMNAME", "添加%s到快速访问工具条(&A)"},
      {"Dxbarstrs", "dxSBAR_CP_SINGLEVIEWLEVELITEMSUFFIX", " ONLY"},
  };
  for (const Case& c : cases) {
    const std::vector<std::size_t> positions = PositionsOf(c.unit, c.key);
    ASSERT_EQ(positions.size(), 1u) << "expected one entry for " << c.unit << " " << c.key << ", got "
                                    << positions.size();
    const std::string_view text = EntryText(Entries[positions[0] - 1]);
    EXPECT_EQ(text, c.text) << c.key << ": expected " << Show(c.text) << ", got " << Show(text);
  }
}

TEST(FormatPlaceholders, AreReadAsFormatsOrAsPlainText) {
  const std::pair<std::string_view, std::vector<std::string>> cases[] = {
      {"Building report: Completed %d%%", {"%d", "%%"}},
      {"ReportLink \"%0:s\" of \"%0:s\"", {"%0:s", "%0:s"}},
      {"unsupported export: %1", {"%1"}},
      {"%s on %s", {"%s", "%s"}},
      {"% normal size", {}},
      {"Gray-80%", {}},
      {"12.5% Gray", {}},
      {"%-10.2f and %5d", {"%-10.2f", "%5d"}},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(Placeholders(text), expected) << text << ": expected " << ::testing::PrintToString(expected)
                                            << ", got " << ::testing::PrintToString(Placeholders(text));
  }
}

// Blocks 5 and 12 replace strings of this library, whose English defaults
// are known: each Chinese text takes the same arguments in the same order.
TEST(ChineseTextTable, FormatStringsKeepThePlaceholdersOfTheirEnglishDefaults) {
  std::size_t formats = 0;
  for (std::size_t i = 0; i < std::size(Entries); ++i) {
    const Entry& e = Entries[i];
    std::string english;
    if (EntryUnit(e) == "dxExtCtrlsStrs") {
      english = ExtendedControlsDefaults().at(e.index);
    } else if (EntryUnit(e) == "dxPSRes") {
      english = PrintingSystemDefaults().at(EntryKey(e));
    } else {
      continue;
    }
    const std::vector<std::string> expected = Placeholders(english);
    const std::vector<std::string> got = Placeholders(rtl::GbkToUtf8(EntryText(e)));
    if (!expected.empty()) ++formats;
    EXPECT_EQ(got, expected) << "position " << i + 1 << " " << EntryKey(e) << ": expected the placeholders "
                             << ::testing::PrintToString(expected) << " of \"" << english << "\", got "
                             << ::testing::PrintToString(got) << " in " << Show(EntryText(e));
  }
  EXPECT_GE(formats, 30u) << "expected the printing system's format strings to be checked, got " << formats;
}

TEST(ChineseTextTable, TextsLeftInEnglishAreExactlyTheGivenOnes) {
  std::vector<std::string> unchanged;
  for (const Entry& e : Entries) {
    if (EntryUnit(e) != "dxPSRes" || e.textLength == 0) continue;
    const std::string key = EntryKey(e);
    if (EntryText(e) == rtl::Utf8ToGbk(PrintingSystemDefaults().at(key))) unchanged.push_back(key);
  }
  const std::vector<std::string>& expected = ExpectedNames("unchanged");
  ASSERT_EQ(expected.size(), 149u) << "expected 149 names in the list, got " << expected.size();
  EXPECT_EQ(Difference(expected, unchanged), "");
}

}  // namespace
}  // namespace velmora::test::loc
