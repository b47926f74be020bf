// The built context library loaded as the host loads it: the printing
// system's strings registered with the suite's repository, the Chinese
// texts in force, and what stays and what goes when the library is unloaded
// and loaded again. The records of the library's own strings live inside the
// loaded library; they are reached through the repository while it is loaded.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <span>

#include "ContextStrings.h"
#include "SuiteStrings.h"
#include "host/loader/LoadedModule.h"
#include "runtime/text/Gbk.h"
#include "runtime/units/Units.h"
#include "suite/cxClasses.h"
#include "suite/dxCore.h"
#include "suite/dxTranslatorList.h"
#include "tests/localisation/LocalisationData.h"
#include "tests/support/Expectations.h"
#include "tests/support/LibraryPaths.h"

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

// Every suite string the table names reads the text of its last entry.
void ExpectSuiteTextsInForce(const std::string& when) {
  std::map<const rtl::TResStringRec*, const Entry*> last;
  for (const Entry& e : Entries) {
    if (!SuiteUnit(EntryUnit(e)).empty()) last[&SuiteUnit(EntryUnit(e))[e.index]] = &e;
  }
  for (const auto& [rec, e] : last) {
    EXPECT_EQ(suite::cxGetResourceString(rec), EntryText(*e)) << when << ", " << EntryKey(*e);
  }
}

class LoadedContextLibrary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = std::make_unique<host::LoadedModule>(kContextLibrary);
    items_ = Repository().Items(kProduct);
    strings_ = Repository().Strings(kProduct);
    // The extended controls' strings are registered nowhere: their records
    // name the loaded library's module and their ids.
    if (!items_.empty()) {
      for (const rtl::TResStringRec& r : context::dxExtCtrlsStrs::Strings()) {
        extended_.push_back({items_.front().rec->Module, r.Identifier});
      }
    }
  }
  static void TearDownTestSuite() {
    extended_.clear();
    strings_.clear();
    items_.clear();
    module_.reset();
  }

  void SetUp() override { ASSERT_EQ(items_.size(), context::dxPSRes::Count); }

  static inline std::unique_ptr<host::LoadedModule> module_;
  static inline std::vector<Item> items_;
  static inline std::vector<StringInfo> strings_;
  static inline std::vector<rtl::TResStringRec> extended_;
};

TEST_F(LoadedContextLibrary, RegistersThePrintingSystemOnce) { EXPECT_EQ(Registrations(), 1u); }

TEST_F(LoadedContextLibrary, RegistersEveryPrintingNameOnceInDeclarationOrder) {
  std::vector<std::string> names;
  names.reserve(strings_.size());
  for (const StringInfo& s : strings_) names.push_back(s.name);
  EXPECT_EQ(Difference(ExpectedNames("dxPSRes"), names), "");
}

TEST_F(LoadedContextLibrary, GivesNoIdTwice) {
  std::set<std::uint32_t> ids;
  for (const StringInfo& s : strings_) ids.insert(s.id);
  EXPECT_EQ(ids.size(), strings_.size());
}

// The given ids and defaults, read through the repository and the library's
// string table.
TEST_F(LoadedContextLibrary, PrintingStringsReadAsGiven) {
  for (const GivenPrintingString& g : GivenPrintingStrings()) {
    const StringInfo& s = strings_.at(g.position - 1);
    EXPECT_EQ(s.name, g.name) << "position " << g.position;
    EXPECT_EQ(s.id, g.id) << g.name;
    EXPECT_EQ(items_[g.position - 1].rec->Identifier, g.id) << g.name;
    EXPECT_EQ(s.defaultText, rtl::Utf8ToGbk(g.text)) << g.name << ": expected " << g.text;
  }
}

TEST_F(LoadedContextLibrary, ExtendedControlStringsReadAsGiven) {
  for (const GivenExtendedString& g : GivenExtendedStrings()) {
    const rtl::TResStringRec& rec = extended_.at(g.position - 1);
    EXPECT_EQ(rec.Identifier, g.id);
    EXPECT_EQ(rtl::LoadResString(&rec), rtl::Utf8ToGbk(g.text)) << "string " << g.position;
  }
}

TEST_F(LoadedContextLibrary, EveryEntryOfTheTableIsInForce) {
  std::map<const rtl::TResStringRec*, std::size_t> last;  // record -> position of its last entry
  for (std::size_t i = 0; i < std::size(Entries); ++i) {
    const Entry& e = Entries[i];
    const std::string_view unit = EntryUnit(e);
    const rtl::TResStringRec* rec = unit == "dxExtCtrlsStrs" ? &extended_.at(e.index)
                                    : unit == "dxPSRes"      ? items_.at(e.index).rec
                                                             : &SuiteUnit(unit)[e.index];
    last[rec] = i;
  }
  ASSERT_EQ(last.size(), 1523u);
  for (const auto& [rec, i] : last) {
    EXPECT_EQ(suite::cxGetResourceString(rec), EntryText(Entries[i])) << "position " << i + 1;
  }
}

TEST_F(LoadedContextLibrary, PrintingStringsPastThe991stAreNotReplaced) {
  for (std::size_t i = 991; i < items_.size(); ++i) EXPECT_FALSE(suite::cxHasResourceString(items_[i].rec)) << i;
}

// The translator's list: the suite's 477, the library's 55 and 1257.
TEST_F(LoadedContextLibrary, TranslatorListHoldsTheLibrarysUnits) { EXPECT_EQ(suite::TranslatorList().size(), 1789u); }

// The context library loaded and unloaded again.
class UnloadedContextLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Registrations(), 0u) << "expected no printing system registered before the library is loaded";
    auto module = std::make_unique<host::LoadedModule>(kContextLibrary);
    first_ = Repository().Strings(kProduct);
    ASSERT_EQ(first_.size(), context::dxPSRes::Count);
  }
  std::vector<StringInfo> first_;
};

// A product left registered would have its callback called in code that is gone.
TEST_F(UnloadedContextLibrary, LeavesNoProductRegistered) {
  EXPECT_EQ(Registrations(), 0u);
  EXPECT_TRUE(Repository().Items(kProduct).empty());
}

// So would a module left in the runtime's list.
TEST_F(UnloadedContextLibrary, LeavesOnlyTheSuitesUnitsInTheTranslatorList) {
  EXPECT_EQ(suite::TranslatorList().size(), 477u);
}

TEST_F(UnloadedContextLibrary, LeavesTheSuitesChineseTextsInForce) { ExpectSuiteTextsInForce("after unload"); }

TEST_F(UnloadedContextLibrary, ReloadRegistersTheSameStrings) {
  const host::LoadedModule module(kContextLibrary);
  EXPECT_EQ(Registrations(), 1u);
  const std::vector<StringInfo> second = Repository().Strings(kProduct);
  ASSERT_EQ(second.size(), first_.size());
  for (std::size_t i = 0; i < first_.size(); ++i) {
    EXPECT_TRUE(second[i].name == first_[i].name && second[i].id == first_[i].id &&
                second[i].defaultText == first_[i].defaultText && second[i].currentText == first_[i].currentText)
        << "position " << i + 1 << ": expected " << first_[i].name << " as at the first load";
  }
}

// Two of the suite's strings changed while the library is away: loading it
// again sets them back.
TEST_F(UnloadedContextLibrary, ReloadSetsTheSuitesChineseTextsAgain) {
  suite::cxSetResourceString(&suite::Cxgridstrs::Strings[suite::Cxgridstrs::scxGridChartValueHintFormat], "changed");
  suite::cxSetResourceString(&suite::Cxeditconsts::Strings[suite::Cxeditconsts::cxSEditCheckBoxGrayed], "changed");
  const host::LoadedModule module(kContextLibrary);
  ExpectSuiteTextsInForce("after reload");
}

TEST_F(UnloadedContextLibrary, SecondUnloadLeavesNoProductRegistered) {
  { const host::LoadedModule module(kContextLibrary); }
  EXPECT_EQ(Registrations(), 0u);
}

// Each unit the library starts, with the number of printing-system
// registrations there were just before it ran.
struct UnitStep {
  std::string unit;
  bool initialization;
  std::size_t registrations;
  bool operator==(const UnitStep&) const = default;
};
void PrintTo(const UnitStep& s, std::ostream* os) {
  *os << s.unit << (s.initialization ? " init" : " fin") << " after " << s.registrations << " registrations";
}

struct StartUpCase {
  std::string name;
  const char* library;
  std::vector<std::string> units;
  bool context;
};

void PrintTo(const StartUpCase& c, std::ostream* os) { *os << c.name; }

// The steps of the library's units while it is loaded and unloaded, and the
// library each unit named.
class LibraryStartUp : public ::testing::TestWithParam<StartUpCase> {
 protected:
  void SetUp() override {
    const rtl::UnitTrace trace([this](const rtl::UnitEvent& e) {
      steps.push_back({e.unit, e.initialization, Registrations()});
      libraries.insert(std::string(e.library));
    });
    host::LoadedModule module(GetParam().library);
  }
  std::vector<UnitStep> steps;
  std::set<std::string> libraries;
};

// In link order, then in reverse at unload; the printing system's product
// exists from dxPSRes's initialisation to its finalisation, so it is
// registered before the Chinese texts are set.
TEST_P(LibraryStartUp, UnitsRunInLinkOrderThenInReverse) {
  const std::vector<std::string>& units = GetParam().units;
  std::vector<UnitStep> expected;
  std::size_t registered = 0;
  for (const std::string& unit : units) {
    expected.push_back({unit, true, registered});
    if (GetParam().context && unit == "dxPSRes") registered = 1;
  }
  for (std::size_t i = units.size(); i-- > 0;) {
    expected.push_back({units[i], false, registered});
    if (GetParam().context && units[i] == "dxPSRes") registered = 0;
  }
  EXPECT_EQ(steps, expected);
}

TEST_P(LibraryStartUp, EveryUnitIsTheLibrarys) { EXPECT_EQ(libraries, std::set<std::string>{"Velmora"}); }

TEST_P(LibraryStartUp, NothingStaysRegistered) { EXPECT_EQ(Registrations(), 0u); }

INSTANTIATE_TEST_SUITE_P(
    Editions, LibraryStartUp,
    ::testing::Values(StartUpCase{"Context",
                                  kContextLibrary,
                                  {"UHollinObjValueClass", "UGlobalValue", "UGlobalFunUnt", "UBaseFrm", "dxPSRes",
                                   "dxExtCtrlsStrs", "Cxgridpopupmenuconsts", "DevStrConvert", "UEditLogPaswrdFrm",
                                   "Velmora"},
                                  true},
                      StartUpCase{"Automation", kAutomationLibrary, {"md5", "UChangePassword", "Velmora"}, false}),
    CaseName());

TEST(StringUnitListing, ParsesALineWithoutAName) {
  const auto entries = suite::ParseStringUnits("dxExtCtrlsStrs\t\t65520\n");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_TRUE(entries[0].unit == "dxExtCtrlsStrs" && entries[0].name.empty() && entries[0].id == 65520);
}

TEST(StringUnitListing, ParsesEachLineInOrder) {
  const auto entries = suite::ParseStringUnits("dxExtCtrlsStrs\t\t65520\ndxPSRes\tsdxBtnOK\t65479\n");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[1].unit == "dxPSRes" && entries[1].name == "sdxBtnOK" && entries[1].id == 65479);
}

struct ListingLineCase {
  std::string name, line;
};

void PrintTo(const ListingLineCase& c, std::ostream* os) { *os << c.name; }

class MalformedListingLine : public ::testing::TestWithParam<ListingLineCase> {};

TEST_P(MalformedListingLine, IsRefused) { EXPECT_THROW(suite::ParseStringUnits(GetParam().line), rtl::EResNotFound); }

INSTANTIATE_TEST_SUITE_P(Listings, MalformedListingLine,
                         ::testing::Values(ListingLineCase{"NoLineEnd", "u\tn\t1"}, ListingLineCase{"NoId", "u\tn\n"},
                                           ListingLineCase{"NoUnit", "\tn\t1\n"},
                                           ListingLineCase{"EmptyId", "u\tn\t\n"},
                                           ListingLineCase{"IdWithALetter", "u\tn\t12x\n"},
                                           ListingLineCase{"NegativeId", "u\tn\t-1\n"},
                                           ListingLineCase{"IdBeyond32Bits", "u\tn\t4294967296\n"}),
                         CaseName());

}  // namespace
}  // namespace velmora::test::loc
