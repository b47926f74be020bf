// The built context library loaded as the host loads it: the printing
// system's strings registered with the suite's repository, the Chinese
// texts in force, and what stays and what goes when the library is unloaded
// and loaded again. The records of the library's own strings live inside the
// loaded library; they are reached through the repository while it is loaded.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>

#include "ContextStrings.h"
#include "SuiteStrings.h"
#include "host/ModuleLoader.h"
#include "suite/cxClasses.h"
#include "suite/dxCore.h"
#include "tests/localisation/LocalisationData.h"

namespace velmora::test::loc {
namespace {

using context::ChineseTexts::Entries;
using context::ChineseTexts::Entry;
using Item = suite::TdxProductResourceStrings::Item;
using StringInfo = suite::TdxResourceStringsRepository::StringInfo;

constexpr const char* kProduct = "ExpressPrinting System";

suite::TdxResourceStringsRepository& Repository() { return suite::dxResourceStringsRepository(); }

std::size_t Registrations() {
  const std::vector<std::string> names = Repository().ProductNames();
  return static_cast<std::size_t>(std::count(names.begin(), names.end(), kProduct));
}

// The suite's own record arrays, by unit name.
std::span<const rtl::TResStringRec> SuiteUnit(std::string_view unit) {
  static const std::map<std::string_view, std::span<const rtl::TResStringRec>> units = {
      {"Cxexportstrs", suite::Cxexportstrs::Strings},
      {"Cxlibrarystrs", suite::Cxlibrarystrs::Strings},
      {"Cxgridstrs", suite::Cxgridstrs::Strings},
      {"Cxgridpopupmenuconsts", suite::Cxgridpopupmenuconsts::Strings},
      {"Cxfilterconsts", suite::Cxfilterconsts::Strings},
      {"Cxdataconsts", suite::Cxdataconsts::Strings},
      {"Cxfiltercontrolstrs", suite::Cxfiltercontrolstrs::Strings},
      {"Cxeditconsts", suite::Cxeditconsts::Strings},
      {"Dxbarstrs", suite::Dxbarstrs::Strings},
  };
  const auto it = units.find(unit);
  return it == units.end() ? std::span<const rtl::TResStringRec>() : it->second;
}

bool IsSuiteEntry(const Entry& e) { return !SuiteUnit(EntryUnit(e)).empty(); }

// The text each of the suite's own strings ends with: the last entry wins.
std::map<const rtl::TResStringRec*, std::pair<std::string, std::string>> SuiteTexts() {
  std::map<const rtl::TResStringRec*, std::pair<std::string, std::string>> texts;  // key name, text
  for (const Entry& e : Entries) {
    if (!IsSuiteEntry(e)) continue;
    texts[&SuiteUnit(EntryUnit(e))[e.index]] = {EntryKey(e), std::string(EntryText(e))};
  }
  return texts;
}

// Every suite string the table names reads the table's text.
void ExpectSuiteTextsInForce(const std::string& when) {
  for (const auto& [rec, keyText] : SuiteTexts()) {
    const rtl::AnsiString got = suite::cxGetResourceString(rec);
    EXPECT_EQ(got, keyText.second) << when << ", " << keyText.first << ": expected " << Show(keyText.second)
                                   << ", got " << Show(got);
  }
}

class LoadedContextLibrary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = std::make_unique<host::LoadedModule>(VELMORA_CONTEXT_LIBRARY);
    items_ = Repository().Items(kProduct);
    strings_ = Repository().Strings(kProduct);
    for (std::size_t i = 0; i < strings_.size(); ++i) byName_.emplace(strings_[i].name, i);
    // The extended controls' strings are registered nowhere: their records
    // name the loaded library's module and their ids.
    if (!items_.empty()) {
      for (const rtl::TResStringRec& r : context::dxExtCtrlsStrs::Strings) {
        extended_.push_back({items_.front().rec->Module, r.Identifier});
      }
    }
  }
  static void TearDownTestSuite() {
    extended_.clear();
    byName_.clear();
    strings_.clear();
    items_.clear();
    module_.reset();
  }

  void SetUp() override {
    ASSERT_EQ(items_.size(), context::dxPSRes::Count)
        << "expected the product to list " << context::dxPSRes::Count << " strings, got " << items_.size();
  }

  static const StringInfo* Find(std::string_view name) {
    const auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : &strings_[it->second];
  }

  // The record an entry names in this process.
  static const rtl::TResStringRec* RecordOf(const Entry& e) {
    const std::string_view unit = EntryUnit(e);
    if (unit == "dxExtCtrlsStrs") return &extended_.at(e.index);
    if (unit == "dxPSRes") return items_.at(e.index).rec;
    return &SuiteUnit(unit)[e.index];
  }

  static inline std::unique_ptr<host::LoadedModule> module_;
  static inline std::vector<Item> items_;
  static inline std::vector<StringInfo> strings_;
  static inline std::map<std::string, std::size_t, std::less<>> byName_;
  static inline std::vector<rtl::TResStringRec> extended_;
};

TEST_F(LoadedContextLibrary, RegistersThePrintingSystemOnce) {
  EXPECT_EQ(Registrations(), 1u) << "expected \"" << kProduct << "\" registered once, got " << Registrations();
}

TEST_F(LoadedContextLibrary, ListsEveryNameOnceInDeclarationOrder) {
  std::vector<std::string> names;
  for (const Item& item : items_) names.push_back(item.name);
  EXPECT_EQ(Difference(ExpectedNames("dxPSRes"), names), "");

  const std::set<std::string> distinctNames(names.begin(), names.end());
  EXPECT_EQ(distinctNames.size(), names.size()) << "expected no name twice, got " << distinctNames.size()
                                                << " distinct of " << names.size();
  std::set<const rtl::TResStringRec*> records;
  for (const Item& item : items_) records.insert(item.rec);
  EXPECT_EQ(records.size(), items_.size()) << "expected no record twice, got " << records.size() << " distinct of "
                                           << items_.size();
  // The n-th name added (from 1) is the string at position 54 + n of the
  // combined order, after the extended controls' 55.
  for (std::size_t n = 1; n <= items_.size(); ++n) {
    const std::size_t p = 54 + n;
    const std::uint32_t expected = static_cast<std::uint32_t>((4095 - p / 16) * 16 + p % 16);
    EXPECT_EQ(items_[n - 1].rec->Identifier, expected)
        << items_[n - 1].name << ": expected id " << expected << ", got " << items_[n - 1].rec->Identifier;
  }
}

TEST_F(LoadedContextLibrary, StringsCarryTheirIdsDefaultsAndTexts) {
  struct Case {
    const char* name;
    std::optional<std::uint32_t> id;
    const char* english;  // nullptr: not checked
    const char* current;  // nullptr: not checked
  };
  const Case cases[] = {
      {"sdxBtnOK", 65479, "OK", "确定(&O)"},
      {"sdxBtnOKAccelerated", 65480, "&OK", "确定(&O"},
      {"sdxCompanyName", 64239, "Company Name", "Company Name"},
      {"sdxRowFields", 64224, "&Row Fields", "&Row Fields"},
      {"sdxUnitsInches", std::nullopt, "\"", "\""},
      {"sdxFiterFields", std::nullopt, nullptr, nullptr},
      {"sdxInvalideStyleCaption", 64836, "The style name \"%s\" already exists. Please supply another name.",
       "样式名称 \"%s\" 已经存在。 请提供另一个名称。"},
      {"sdxInvalidStorageVersion", 64547, "Invalid Storage Verison: %d", "Invalid Storage Verison: %d"},
      {"sdxFileBasedExplorerItemDataLoadError", 64528,
       "Cannot load Report Data.\r\nFile is corruted or is locked by another User or Application",
       "Cannot load Report Data.\r\nFile is corruted or is locked by another User or Application"},
      {"sdxPrintDialogPageNumbersOutOfRange", 65110, "Page numbers out of range (%d - %d)", "页码超出范围 (%d - %d)"},
      {"sdxPrintDialogRangeLegend", 65130,
       "Enter page number and/or page ranges\n\rseparated by commas. For example: 1,3,5-12.", nullptr},
      {"sdxBuildingReport", 65043, "Building report: Completed %d%%", "构建报表：已完成 %d%%"},
      {"sdxPreferenceDlgTab2", 64879, "", ""},
      {"sdxItem6Description", 64715, "", ""},
      {"sdxCarModel1", std::nullopt, "X5 4.8is", "X5 4WD"},
      {"sdxWrapData", 64485, "&Wrap Data", nullptr},
      {"sdxMenuShortcutExplorer", 64486, "Explorer", "Explorer"},
      {"sdxPurchaseMonth", 64237, "Purchase Month", "Purchase Month"},
  };
  for (const Case& c : cases) {
    const StringInfo* s = Find(c.name);
    if (s == nullptr) {
      ADD_FAILURE() << "expected a string named " << c.name << ", got none";
      continue;
    }
    if (c.id) {
      EXPECT_EQ(s->id, *c.id) << c.name << ": expected id " << *c.id << ", got " << s->id;
    }
    if (c.english) {
      EXPECT_EQ(s->defaultText, c.english) << c.name << ": expected the default " << Show(c.english) << ", got "
                                           << Show(s->defaultText);
    }
    if (c.current) {
      EXPECT_EQ(s->currentText, c.current) << c.name << ": expected the text " << Show(c.current) << ", got "
                                           << Show(s->currentText);
    }
  }
  EXPECT_EQ(items_.front().name, "sdxBtnOK") << "expected sdxBtnOK added first, got " << items_.front().name;
  EXPECT_EQ(items_.back().name, "sdxCompanyName") << "expected sdxCompanyName added last, got " << items_.back().name;
}

TEST_F(LoadedContextLibrary, ExplorerIsTheDefaultOfFourStrings) {
  std::vector<std::string> names;
  for (const StringInfo& s : strings_) {
    if (s.defaultText == "Explorer") names.push_back(s.name);
  }
  const std::vector<std::string> expected = {"sdxExplorerCaption", "sdxExplorerBar", "sdxMenuShortcutExplorer",
                                             "sdxExplorerToolBar"};
  EXPECT_EQ(Difference(expected, names), "");
}

TEST_F(LoadedContextLibrary, OnlyTheFirst991PrintingStringsAreReplaced) {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const bool replaced = suite::cxHasResourceString(items_[i].rec);
    EXPECT_EQ(replaced, i < 991) << items_[i].name << " (position " << i + 1 << "): expected "
                                 << (i < 991 ? "a replacement" : "no replacement") << ", got "
                                 << (replaced ? "one" : "none");
    if (i >= 991) {
      EXPECT_EQ(strings_[i].currentText, strings_[i].defaultText)
          << strings_[i].name << ": expected the English default " << Show(strings_[i].defaultText) << ", got "
          << Show(strings_[i].currentText);
    }
  }
}

TEST_F(LoadedContextLibrary, SuiteStringsGivenEmptyTextsReadEmpty) {
  const std::pair<const char*, const rtl::TResStringRec*> cases[] = {
      {"scxGridNoDataInfoText", &suite::Cxgridstrs::Strings[suite::Cxgridstrs::scxGridNoDataInfoText]},
      {"cxSEditCheckBoxGrayed", &suite::Cxeditconsts::Strings[suite::Cxeditconsts::cxSEditCheckBoxGrayed]},
      {"cxSRadioGroupDefaultCaption", &suite::Cxeditconsts::Strings[suite::Cxeditconsts::cxSRadioGroupDefaultCaption]},
  };
  for (const auto& [name, rec] : cases) {
    EXPECT_EQ(suite::cxGetResourceString(rec), "")
        << name << ": expected an empty text, got " << Show(suite::cxGetResourceString(rec));
    EXPECT_TRUE(suite::cxHasResourceString(rec)) << name << ": expected a replacement, got none";
    EXPECT_NE(rtl::LoadResString(rec), "") << name << ": expected a non-empty default, got an empty one";
  }
}

TEST_F(LoadedContextLibrary, KeySetTwiceEndsWithItsText) {
  const rtl::TResStringRec* rec = &suite::Cxgridstrs::Strings[suite::Cxgridstrs::scxGridChartValueHintFormat];
  EXPECT_EQ(suite::cxGetResourceString(rec), "%s for %s is %s")
      << "expected \"%s for %s is %s\", got " << Show(suite::cxGetResourceString(rec));
}

TEST_F(LoadedContextLibrary, EveryEntryOfTheTableIsInForce) {
  std::map<const rtl::TResStringRec*, std::size_t> last;  // record -> position of its last entry
  for (std::size_t i = 0; i < std::size(Entries); ++i) last[RecordOf(Entries[i])] = i;
  ASSERT_EQ(last.size(), 1523u) << "expected 1523 distinct records, got " << last.size();
  for (const auto& [rec, i] : last) {
    const Entry& e = Entries[i];
    const rtl::AnsiString got = suite::cxGetResourceString(rec);
    EXPECT_EQ(got, EntryText(e)) << "position " << i + 1 << ", " << EntryUnit(e) << " " << EntryKey(e)
                                 << ": expected " << Show(EntryText(e)) << ", got " << Show(got);
  }
}

// Load, unload and load again in one process.
TEST(ContextLibraryLifecycle, UnloadRemovesTheProductAndReloadSetsTheTextsAgain) {
  ASSERT_EQ(Registrations(), 0u) << "expected no printing system registered before the library is loaded";
  auto module = std::make_unique<host::LoadedModule>(VELMORA_CONTEXT_LIBRARY);
  const std::vector<StringInfo> first = Repository().Strings(kProduct);
  ASSERT_EQ(first.size(), context::dxPSRes::Count) << "expected " << context::dxPSRes::Count
                                                   << " strings after the first load, got " << first.size();
  ExpectSuiteTextsInForce("after the first load");

  module.reset();
  // A product left registered would have its callback called in code that is gone.
  ASSERT_EQ(Registrations(), 0u) << "expected the product removed at unload, got " << Registrations()
                                 << " registrations";
  EXPECT_TRUE(Repository().Items(kProduct).empty()) << "expected an empty list for the removed product, got "
                                                     << Repository().Items(kProduct).size() << " strings";
  ExpectSuiteTextsInForce("after unload");

  // Change two of the suite's strings while the library is away: loading it
  // again must set them back.
  const rtl::TResStringRec* hint = &suite::Cxgridstrs::Strings[suite::Cxgridstrs::scxGridChartValueHintFormat];
  const rtl::TResStringRec* grayed = &suite::Cxeditconsts::Strings[suite::Cxeditconsts::cxSEditCheckBoxGrayed];
  suite::cxSetResourceString(hint, "changed");
  suite::cxSetResourceString(grayed, "changed");

  module = std::make_unique<host::LoadedModule>(VELMORA_CONTEXT_LIBRARY);
  EXPECT_EQ(Registrations(), 1u) << "expected the product registered again once, got " << Registrations();
  const std::vector<StringInfo> second = Repository().Strings(kProduct);
  ASSERT_EQ(second.size(), first.size()) << "expected " << first.size() << " strings after reload, got "
                                         << second.size();
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_TRUE(second[i].name == first[i].name && second[i].id == first[i].id &&
                second[i].defaultText == first[i].defaultText && second[i].currentText == first[i].currentText)
        << "position " << i + 1 << ": expected " << first[i].name << " " << first[i].id << " "
        << Show(first[i].currentText) << " as at the first load, got " << second[i].name << " " << second[i].id
        << " " << Show(second[i].currentText);
  }
  ExpectSuiteTextsInForce("after reload");

  module.reset();
  EXPECT_EQ(Registrations(), 0u) << "expected the product removed at the second unload";
}

}  // namespace
}  // namespace velmora::test::loc
