// Client datasets: Data in and out, the cursor, fields and their
// conversions, Locate, and filter expressions: the rows each shows, the
// errors bad ones raise, and the dataset's state around those errors.
// Datasets made from the real dialogs' descriptions and fed by a host are
// exercised by the context and automation suites.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "db_fixture.h"
#include "runtime/except/Exceptions.h"
#include "tests/support/Expectations.h"

namespace {

using dbtest::SampleTable;
using dbtest::VisibleIds;
using rtl::Variant;
using velmora::test::CaseName;

class DbDataSet : public ::testing::Test {
 protected:
  void SetUp() override { ds->SetPacket(SampleTable()); }
  int Id() { return ds->FieldByName("Id")->AsInteger(); }
  rtl::Owned<rtl::TClientDataSet> ds = rtl::Add<rtl::TClientDataSet>(nullptr);
};

TEST(DbClientDataSet, AnEmptyPacketOpensAtEofWithNullFields) {
  rtl::DataPacket packet;
  packet.AddField("password", rtl::ftString);
  const auto ds = rtl::Add<rtl::TClientDataSet>(nullptr);
  EXPECT_TRUE(ds->Data().IsNull()) << "no content yet";
  ds->SetData(rtl::EncodeDataPacket(packet));
  EXPECT_TRUE(ds->Active() && ds->Eof() && ds->Bof());
  EXPECT_EQ(ds->RecNo(), 0u);
  EXPECT_TRUE(ds->FieldByName("PASSWORD")->IsNull());
  EXPECT_EQ(ds->FieldByName("password")->AsString(), "");
  ds->Next();
  EXPECT_TRUE(ds->Eof());
}

TEST(DbClientDataSet, OpeningWithoutDataRaises) {
  const auto ds = rtl::Add<rtl::TClientDataSet>(nullptr);
  EXPECT_THROW(ds->Open(), rtl::EDatabaseError);
}

struct BadDataCase {
  std::string name;
  Variant data;
  std::string message = "Invalid data packet";
};

void PrintTo(const BadDataCase& c, std::ostream* os) { *os << c.name; }

// A dataset on its second row given data that is no packet.
class BadData : public ::testing::TestWithParam<BadDataCase> {
 protected:
  void SetUp() override {
    ds->SetPacket(SampleTable());
    ds->Next();
  }
  rtl::Owned<rtl::TClientDataSet> ds = rtl::Add<rtl::TClientDataSet>(nullptr);
};

TEST_P(BadData, SetDataRaisesWithTheReason) {
  try {
    ds->SetData(GetParam().data);
    ADD_FAILURE() << "expected EDatabaseError";
  } catch (const rtl::EDatabaseError& e) {
    EXPECT_EQ(e.Message(), GetParam().message);
  }
}

TEST_P(BadData, FailedSetDataLeavesTheDatasetAsItWas) {
  EXPECT_THROW(ds->SetData(GetParam().data), rtl::EDatabaseError);
  EXPECT_EQ(ds->RecordCount(), 5u);
  EXPECT_EQ(ds->RecNo(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Data, BadData,
                         ::testing::Values(BadDataCase{"Text", Variant("VDPK")}, BadDataCase{"Null", Variant::Null()},
                                           BadDataCase{"Empty", Variant()}, BadDataCase{"Integer", Variant(5)},
                                           BadDataCase{"PacketCutShort", Variant(rtl::ByteArray{'V', 'D', 'P', 'K'}),
                                                       "Malformed data packet: truncated"}),
                         CaseName());

TEST_F(DbDataSet, DataHoldsEveryRowWhateverTheFilter) {
  ds->SetFilter("Id = 2");
  ds->SetFiltered(true);
  const auto copy = rtl::Add<rtl::TClientDataSet>(nullptr);
  copy->SetData(ds->Data());
  EXPECT_EQ(VisibleIds(*copy), (std::vector<int>{1, 2, 3, -5, 0}));
}

TEST_F(DbDataSet, CursorStopsAtTheEnds) {
  using D = rtl::TDataSet;
  // RecNo after each move, with B and E for Bof and Eof.
  const auto state = [&] { return std::to_string(ds->RecNo()) + (ds->Bof() ? "B" : "") + (ds->Eof() ? "E" : ""); };
  std::string trace = state();
  for (void (D::*move)() :
       {&D::Prior, &D::Next, &D::Next, &D::Next, &D::Next, &D::Next, &D::Prior, &D::First, &D::Last}) {
    ((*ds).*move)();
    trace.append(" ").append(state());
  }
  EXPECT_EQ(trace, "1B 1B 2 3 4 5 5E 4 1B 5E");
  EXPECT_EQ(Id(), 0);
}

TEST_F(DbDataSet, ClosedDatasetHasNoCurrentRow) {
  ds->Next();
  ds->Close();
  EXPECT_TRUE(ds->Eof() && ds->Bof());
  EXPECT_EQ(ds->RecordCount(), 0u);
  EXPECT_TRUE(ds->FieldByName("Id")->IsNull());
}

TEST_F(DbDataSet, ClosedDatasetRefusesToMove) {
  ds->Close();
  EXPECT_THROW(ds->Next(), rtl::EDatabaseError);
}

TEST_F(DbDataSet, ClosedDatasetRefusesToLocate) {
  ds->Close();
  EXPECT_THROW(ds->Locate("Id", "1"), rtl::EDatabaseError);
}

TEST_F(DbDataSet, ReopenedDatasetStartsAtTheFirstRow) {
  ds->Next();
  ds->Close();
  ds->SetActive(true);
  EXPECT_EQ(ds->RecordCount(), 5u);
  EXPECT_EQ(Id(), 1);
}

TEST_F(DbDataSet, FieldsAreFoundWithoutRegardToCase) {
  EXPECT_EQ(ds->FindField("NAME"), ds->Fields(1));
  EXPECT_EQ(ds->FieldByName("名称")->Index(), 6u);
}

TEST_F(DbDataSet, FieldsPastTheLastRaise) { EXPECT_THROW(ds->Fields(7), rtl::EDatabaseError); }

TEST_F(DbDataSet, MissingFieldNameRaises) { EXPECT_THROW(ds->FieldByName("Nope"), rtl::EDatabaseError); }

constexpr int kRaises = -999;  // AsInteger raises EConvertError

struct FieldValueCase {
  std::string name;
  std::size_t row;  // RecNo
  std::string field, text;
  int integer;
};

void PrintTo(const FieldValueCase& c, std::ostream* os) { *os << c.name; }

// The sample table on the case's row.
class FieldValue : public DbDataSet, public ::testing::WithParamInterface<FieldValueCase> {
 protected:
  const rtl::TField& Field() {
    for (ds->First(); ds->RecNo() != GetParam().row;) ds->Next();
    return *ds->FieldByName(GetParam().field);
  }
};

TEST_P(FieldValue, AsStringIsItsText) { EXPECT_EQ(Field().AsString(), GetParam().text); }

TEST_P(FieldValue, AsIntegerIsItsValueOrRaises) {
  const rtl::TField& f = Field();
  if (GetParam().integer == kRaises) {
    EXPECT_THROW(f.AsInteger(), rtl::EConvertError);
  } else {
    EXPECT_EQ(f.AsInteger(), GetParam().integer);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldValue,
    ::testing::Values(
        FieldValueCase{"NumericText", 1, "Code", "3", 3}, FieldValueCase{"HalfRoundsToEven", 1, "Score", "2.5", 2},
        FieldValueCase{"True", 1, "Flag", "True", 1},
        FieldValueCase{"LargeintBeyondInteger", 1, "Big", "9007199254740993", kRaises},
        FieldValueCase{"NonNumericText", 2, "Code", "x", kRaises}, FieldValueCase{"NullFloat", 2, "Score", "", 0},
        FieldValueCase{"False", 2, "Flag", "False", 0}, FieldValueCase{"TextWithQuote", 3, "Name", "O'Neil", kRaises},
        FieldValueCase{"NullText", 4, "Name", "", 0}, FieldValueCase{"LeadingZero", 4, "Code", "03", 3},
        FieldValueCase{"NegativeLargeint", 4, "Big", "-1", -1}, FieldValueCase{"WholeFloat", 4, "Score", "7", 7}),
    CaseName());

constexpr int kNotFound = 99;

struct LocateCase {
  std::string name, field;
  Variant key;
  rtl::TLocateOptions options;
  int id;  // kNotFound: not found
};

void PrintTo(const LocateCase& c, std::ostream* os) { *os << c.name; }

// Locate from the row with Id -5, the fourth.
class Locate : public DbDataSet, public ::testing::WithParamInterface<LocateCase> {
 protected:
  bool Found() {
    ds->Last();
    ds->Prior();
    return ds->Locate(GetParam().field, GetParam().key, GetParam().options);
  }
};

TEST_P(Locate, AnswersWhetherARowMatches) { EXPECT_EQ(Found(), GetParam().id != kNotFound); }

TEST_P(Locate, MovesToTheFirstMatchOrStays) {
  const bool found = Found();
  EXPECT_EQ(Id(), found ? GetParam().id : -5);
  EXPECT_FALSE(ds->Eof());
}

using rtl::loCaseInsensitive;
using rtl::loPartialKey;

INSTANTIATE_TEST_SUITE_P(
    Keys, Locate,
    ::testing::Values(
        LocateCase{"Text", "Name", "bob", {}, 2},
        LocateCase{"FieldNameIgnoresCaseTextKeepsIt", "name", "Bob", {}, kNotFound},
        LocateCase{"PrefixIsNoMatch", "Name", "bo", {}, kNotFound}, LocateCase{"EmptyText", "Name", "", {}, kNotFound},
        LocateCase{"CaseInsensitive", "Name", "Bob", {loCaseInsensitive}, 2},
        LocateCase{"PartialKey", "Name", "Bo", {loPartialKey}, 0},
        LocateCase{"PartialCaseInsensitive", "Name", "BO", {loCaseInsensitive, loPartialKey}, 2},
        LocateCase{"NullKey", "Name", Variant::Null(), {}, kNotFound},
        LocateCase{"GbkNameAndText", "名称", "张三", {}, 1}, LocateCase{"IntegerAsText", "Id", "3", {}, 3},
        LocateCase{"IntegerWithLeadingZero", "Id", "03", {}, 3}, LocateCase{"IntegerAsDecimal", "Id", "3.0", {}, 3},
        LocateCase{"NegativeInteger", "Id", "-5", {}, -5}, LocateCase{"Zero", "Id", "0", {}, 0},
        LocateCase{"IntegerAgainstLetters", "Id", "x", {}, kNotFound},
        LocateCase{"IntegerWithBlank", "Id", " 3", {}, kNotFound}, LocateCase{"IntegerKey", "Id", 3, {}, 3},
        LocateCase{"NumericTextExactly", "Code", "3", {}, 1},
        LocateCase{"NumericTextWithLeadingZero", "Code", "03", {}, -5}, LocateCase{"Float", "Score", "2.5", {}, 1},
        LocateCase{"LargeintBeyondDouble", "Big", "9007199254740992", {}, 2},
        LocateCase{"BooleanIgnoresCase", "Flag", "false", {}, 2}),
    CaseName());

TEST_F(DbDataSet, LocateOnAMissingFieldRaises) { EXPECT_THROW(ds->Locate("Nope", "1"), rtl::EDatabaseError); }

TEST_F(DbDataSet, LocateWithABinaryKeyRaises) {
  EXPECT_THROW(ds->Locate("Id", Variant(rtl::ByteArray{1})), rtl::EDatabaseError);
}

TEST_F(DbDataSet, LocateSearchesOnlyTheVisibleRows) {
  ds->SetFilter("Id <> 2");
  ds->SetFiltered(true);
  EXPECT_FALSE(ds->Locate("Name", "bob"));
  EXPECT_TRUE(ds->Locate("Flag", "False"));
  EXPECT_EQ(Id(), 0);
  EXPECT_EQ(ds->RecNo(), 4u);
}

TEST(DbClientDataSet, CaseFoldingSparesDoubleByteCharacters) {
  // 乤 and 丄 differ only in their second byte: 'a' against 'A'.
  rtl::DataPacket p;
  p.AddField("Id", rtl::ftInteger).AddField("Name", rtl::ftString).AppendRow({1, "乤"}).AppendRow({2, "a丄"});
  const auto ds = rtl::Add<rtl::TClientDataSet>(nullptr);
  ds->SetPacket(p);
  EXPECT_FALSE(ds->Locate("Name", "丄", {rtl::loCaseInsensitive}));
  EXPECT_TRUE(ds->Locate("Name", "A丄", {rtl::loCaseInsensitive}));
  EXPECT_EQ(ds->FieldByName("Id")->AsInteger(), 2);
}

struct ValidDecimalCase {
  std::string name, text;
  bool isInteger;
  double value;
};

void PrintTo(const ValidDecimalCase& c, std::ostream* os) { *os << c.name; }

class ValidDecimal : public ::testing::TestWithParam<ValidDecimalCase> {};

TEST_P(ValidDecimal, ReadsItsValue) {
  const auto d = rtl::ParseDecimal(GetParam().text);
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->real, GetParam().value);
}

TEST_P(ValidDecimal, TellsWhetherItIsAnInteger) {
  const auto d = rtl::ParseDecimal(GetParam().text);
  ASSERT_TRUE(d.has_value());
  EXPECT_EQ(d->isInteger, GetParam().isInteger);
}

INSTANTIATE_TEST_SUITE_P(Numbers, ValidDecimal,
                         ::testing::Values(ValidDecimalCase{"PlusSign", "+5", true, 5},
                                           ValidDecimalCase{"NoIntegerDigits", "-.5", false, -0.5},
                                           ValidDecimalCase{"NoFractionDigits", "5.", false, 5},
                                           ValidDecimalCase{"SmallestInt64", "-9223372036854775808", true, -0x1p63},
                                           ValidDecimalCase{"BeyondInt64", "9223372036854775808", false, 0x1p63}),
                         CaseName());

struct InvalidDecimalCase {
  std::string name, text;
};

void PrintTo(const InvalidDecimalCase& c, std::ostream* os) { *os << c.name; }

class InvalidDecimal : public ::testing::TestWithParam<InvalidDecimalCase> {};

TEST_P(InvalidDecimal, IsRefused) { EXPECT_FALSE(rtl::ParseDecimal(GetParam().text).has_value()); }

INSTANTIATE_TEST_SUITE_P(Numbers, InvalidDecimal,
                         ::testing::Values(InvalidDecimalCase{"Empty", ""}, InvalidDecimalCase{"PointOnly", "."},
                                           InvalidDecimalCase{"TrailingBlank", "5 "},
                                           InvalidDecimalCase{"Exponent", "1e3"}, InvalidDecimalCase{"TwoSigns", "--5"},
                                           InvalidDecimalCase{"Hexadecimal", "0x10"}),
                         CaseName());

TEST(DbNumbers, SmallestInt64IsReadExactly) {
  EXPECT_EQ(rtl::ParseDecimal("-9223372036854775808")->integer, INT64_MIN);
}

// Ids of the rows ds shows under filter, turning filtering off and on again.
std::vector<int> Shown(rtl::TDataSet& ds, const std::string& filter) {
  ds.SetFiltered(false);
  ds.SetFilter(filter);
  ds.SetFiltered(true);
  return VisibleIds(ds);
}

using DbFilter = DbDataSet;

using DbFilter = DbDataSet;

struct FilterCase {
  std::string name, filter;
  std::vector<int> ids;
};

void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }

class Filter : public DbDataSet, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(Filter, ShowsTheRowsItPasses) { EXPECT_EQ(Shown(*ds, GetParam().filter), GetParam().ids); }

TEST_P(Filter, CountsTheRowsItPasses) {
  Shown(*ds, GetParam().filter);
  EXPECT_EQ(ds->RecordCount(), GetParam().ids.size());
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, Filter,
    ::testing::Values(

        FilterCase{"Blank", "   ", {1, 2, 3, -5, 0}}, FilterCase{"NotEqual", "id <> 3", {1, 2, -5, 0}},
        FilterCase{"PlusSign", "Id = +1", {1}}, FilterCase{"And", "Id > 0 AND Id < 3", {1, 2}},
        // precedence: NOT over AND over OR
        FilterCase{"AndBeforeOr", "Id = 1 OR Id = 2 AND Name = 'x'", {1}},
        FilterCase{"Parentheses", "(Id = 1 OR Id = 2) AND Name = 'bob'", {2}},
        FilterCase{"NotBeforeAnd", "NOT Id = 1 AND Id > 0", {2, 3}},
        FilterCase{"NotOfParentheses", "NOT (Id = 1 OR Id = 2)", {3, -5, 0}},
        // keywords and field names ignore case; brackets and GBK names
        FilterCase{"KeywordsAndNamesIgnoreCase", "ID = 2 oR id = 3", {2, 3}},
        FilterCase{"BracketedName", "[Id] = 2", {2}}, FilterCase{"GbkName", "名称 = '张三'", {1, -5}},
        FilterCase{"BracketedGbkName", "[名称] <> '张三'", {2, 0}},
        // text: quotes, case and bytes
        FilterCase{"DoubledQuote", "Name = 'O''Neil'", {3}}, FilterCase{"TextKeepsCase", "Name = 'ann'", {}},
        FilterCase{"TextOrder", "Name >= 'B'", {2, 3, 0}},
        // number literal against a text field reads the text as a number
        FilterCase{"NumberAgainstText", "Code = 3", {1, -5}}, FilterCase{"NumberAboveText", "Code > 3", {3}},
        FilterCase{"NotOfNumberAgainstText", "NOT (Code = 3)", {3}},
        // text literal against a numeric field compares the decimal text
        FilterCase{"TextAgainstInteger", "Id = '3'", {3}},
        FilterCase{"TextOrderAgainstInteger", "Id < '10'", {1, -5, 0}},
        FilterCase{"TextAgainstBoolean", "Flag = 'True'", {1, -5}},
        FilterCase{"NumberAgainstBoolean", "Flag = 0", {2, 0}}, FilterCase{"NumberAgainstFloat", "Score = 7", {-5}},
        FilterCase{"NegativeFloat", "Score > -1.5", {1, 3, -5, 0}},
        FilterCase{"LargeintBeyondDouble", "Big = 9007199254740993", {1}},
        // Null matches nothing, not even through <> or NOT
        FilterCase{"NullNotUnequal", "Name <> 'zzz'", {1, 2, 3, 0}},
        FilterCase{"NullNotNegated", "NOT Name = 'zzz'", {1, 2, 3, 0}},
        FilterCase{"NullInOr", "Score = 99 OR Id = 2", {2}},
        FilterCase{"NullInOrNot", "Score = 99 OR NOT Score = 99", {1, 3, -5, 0}},
        // a long chain of one operator does not deepen the tree
        FilterCase{"LongChain",
                   [] {
                     std::string chain;
                     for (int i = 0; i < 5000; ++i) chain += "Id = 99 OR ";
                     return chain + "Id = 2";
                   }(),
                   {2}}),
    CaseName());

struct InvalidFilterCase {
  std::string name, filter, reason;
};

void PrintTo(const InvalidFilterCase& c, std::ostream* os) { *os << c.name; }

class InvalidFilter : public DbDataSet, public ::testing::WithParamInterface<InvalidFilterCase> {};

TEST_P(InvalidFilter, RaisesWithTheReason) {
  try {
    Shown(*ds, GetParam().filter);
    ADD_FAILURE() << "expected EDatabaseError";
  } catch (const rtl::EDatabaseError& e) {
    EXPECT_NE(e.Message().find(GetParam().reason), std::string::npos)
        << "expected a message containing \"" << GetParam().reason << "\", got \"" << e.Message() << "\"";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, InvalidFilter,
    ::testing::Values(

        InvalidFilterCase{"MissingValue", "Id =", "expected a number or a quoted text at position 5"},
        InvalidFilterCase{"MissingOperator", "Id 3", "expected a comparison operator"},
        InvalidFilterCase{"MissingFieldName", "= 3", "expected a field name at position 1"},
        InvalidFilterCase{"ValueBeforeField", "3 = Id", "expected a field name"},
        InvalidFilterCase{"AndAtTheEnd", "Id = 3 AND", "expected a field name"},
        InvalidFilterCase{"FieldAsValue", "Id = Name", "expected a number or a quoted text"},
        InvalidFilterCase{"UnclosedParenthesis", "(Id = 3", "expected ')'"},
        InvalidFilterCase{"UnopenedParenthesis", "Id = 3)", "unexpected ')'"},
        InvalidFilterCase{"EmptyParentheses", "()", "expected a field name"},
        InvalidFilterCase{"UnterminatedText", "Name = 'abc", "unterminated text"},
        InvalidFilterCase{"UnclosedBracket", "[Id = 3", "missing ']'"},
        InvalidFilterCase{"EmptyBracket", "[] = 3", "empty field name"},
        InvalidFilterCase{"BadNumber", "Id = 1.2.3", "invalid number '1.2.3'"},
        InvalidFilterCase{"UnknownCharacter", "Id = 3 # 4", "unexpected character '#'"},
        InvalidFilterCase{"CStyleNotEqual", "Id != 3", "unexpected character '!'"},
        InvalidFilterCase{"MissingField", "Nope = 3", "Field 'Nope' not found"},
        InvalidFilterCase{"MissingBracketedField", "Id = 1 OR [No Such] = 'a'", "Field 'No Such' not found"},
        InvalidFilterCase{"DeepParentheses", std::string(200, '(') + "Id = 1" + std::string(200, ')'),
                          "nesting too deep"},
        InvalidFilterCase{"DeepNot",
                          [] {
                            std::string s;
                            for (int i = 0; i < 100000; ++i) s += "NOT ";
                            return s + "Id = 1";
                          }(),
                          "nesting too deep"}),
    CaseName());

TEST_F(DbFilter, AFailingFilterChangeKeepsTheFilterInForce) {
  ds->SetFilter("Id > 0");
  ds->SetFiltered(true);
  ds->Next();
  EXPECT_THROW(ds->SetFilter("Id >"), rtl::EDatabaseError);
  EXPECT_EQ(ds->Filter(), "Id > 0");
  EXPECT_TRUE(ds->Filtered());
  EXPECT_EQ(ds->RecordCount(), 3u);
}

TEST_F(DbFilter, AFilterIsStoredUnparsedWhileNotFiltering) {
  ds->SetFilter("Missing = 1");
  EXPECT_EQ(ds->Filter(), "Missing = 1");
}

TEST_F(DbFilter, FailingToSwitchOnLeavesFilteringOff) {
  ds->SetFilter("Missing = 1");
  EXPECT_THROW(ds->SetFiltered(true), rtl::EDatabaseError);
  EXPECT_FALSE(ds->Filtered());
  EXPECT_EQ(ds->RecordCount(), 5u);
}

TEST_F(DbFilter, SettingTheFilterWhileNotFilteringKeepsTheCursor) {
  ds->Last();
  ds->SetFilter("Id >= 2");
  EXPECT_EQ(ds->RecNo(), 5u);
}

TEST_F(DbFilter, SwitchingOnStartsAtTheFirstRowShown) {
  ds->Last();
  ds->SetFilter("Id >= 2");
  ds->SetFiltered(true);
  EXPECT_EQ(ds->RecNo(), 1u);
  EXPECT_EQ(Id(), 2);
}

TEST_F(DbFilter, ChangingTheFilterStartsAtTheFirstRowShown) {
  ds->SetFilter("Id >= 2");
  ds->SetFiltered(true);
  ds->Next();
  ds->SetFilter("Id >= 3");
  EXPECT_EQ(ds->RecordCount(), 1u);
  EXPECT_EQ(Id(), 3);
}

TEST_F(DbFilter, SwitchingOffStartsAtTheFirstRow) {
  ds->SetFilter("Id >= 3");
  ds->SetFiltered(true);
  ds->SetFiltered(false);
  EXPECT_EQ(ds->RecordCount(), 5u);
  EXPECT_EQ(Id(), 1);
}

// A filter set before the dataset has data: only its syntax is checked then.
class FilterBeforeData : public ::testing::Test {
 protected:
  void SetUp() override {
    ds->SetFilter("Name = 'bob'");
    ds->SetFiltered(true);
    ds->SetPacket(SampleTable());
  }
  rtl::Owned<rtl::TClientDataSet> ds = rtl::Add<rtl::TClientDataSet>(nullptr);
};

TEST_F(FilterBeforeData, AppliesToTheData) { EXPECT_EQ(VisibleIds(*ds), std::vector<int>{2}); }

TEST_F(FilterBeforeData, PacketLackingTheFiltersFieldIsRefusedKeepingThePrevious) {
  rtl::DataPacket other;
  other.AddField("Id", rtl::ftInteger).AppendRow({7});
  EXPECT_THROW(ds->SetPacket(other), rtl::EDatabaseError);
  EXPECT_EQ(VisibleIds(*ds), std::vector<int>{2});
}

struct DoubleByteNameCase {
  std::string name, filter;
};

void PrintTo(const DoubleByteNameCase& c, std::ostream* os) { *os << c.name; }

class DoubleByteName : public ::testing::TestWithParam<DoubleByteNameCase> {};

// The second byte of 乚 is ']', which must not end a bracketed name.
TEST_P(DoubleByteName, IsReadWhole) {
  rtl::DataPacket p;
  p.AddField("乚", rtl::ftInteger).AddField("Id", rtl::ftInteger).AppendRow({1, 1}).AppendRow({2, 2});
  const auto ds = rtl::Add<rtl::TClientDataSet>(nullptr);
  ds->SetPacket(p);
  EXPECT_EQ(Shown(*ds, GetParam().filter), std::vector<int>{2});
}

INSTANTIATE_TEST_SUITE_P(Names, DoubleByteName,
                         ::testing::Values(DoubleByteNameCase{"Bracketed", "[乚] = 2"},
                                           DoubleByteNameCase{"Bare", "乚 = 2"}),
                         CaseName());

}  // namespace
