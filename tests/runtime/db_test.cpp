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

namespace {

using dbtest::SampleTable;
using dbtest::VisibleIds;
using rtl::Variant;

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

TEST(DbClientDataSet, BadDataRaisesAndKeepsTheContent) {
  const auto ds = rtl::Add<rtl::TClientDataSet>(nullptr);
  EXPECT_THROW(ds->Open(), rtl::EDatabaseError) << "nothing to open yet";
  ds->SetPacket(SampleTable());
  ds->Next();
  for (const Variant& v : {Variant("VDPK"), Variant::Null(), Variant(), Variant(5)}) {
    try {
      ds->SetData(v);
      ADD_FAILURE() << "expected EDatabaseError for a " << Variant::TypeName(v.Type());
    } catch (const rtl::EDatabaseError& e) {
      EXPECT_EQ(e.Message(), "Invalid data packet");
    }
  }
  EXPECT_THROW(ds->SetData(rtl::ByteArray{'V', 'D', 'P', 'K'}), rtl::EDatabaseError);
  EXPECT_EQ(ds->RecordCount(), 5u);
  EXPECT_EQ(ds->RecNo(), 2u);
}

TEST_F(DbDataSet, DataHoldsEveryRowWhateverTheFilter) {
  ds->SetFilter("Id = 2");
  ds->SetFiltered(true);
  const auto copy = rtl::Add<rtl::TClientDataSet>(nullptr);
  copy->SetData(ds->Data());
  EXPECT_EQ(VisibleIds(*copy), (std::vector<int>{1, 2, 3, -5, 0}));
}

TEST_F(DbDataSet, CursorMovesAndStopsAtTheEnds) {
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

TEST_F(DbDataSet, ClosedDatasetsHaveNoCurrentRow) {
  ds->Next();
  ds->Close();
  EXPECT_TRUE(ds->Eof() && ds->Bof());
  EXPECT_EQ(ds->RecordCount(), 0u);
  EXPECT_TRUE(ds->FieldByName("Id")->IsNull());
  EXPECT_THROW(ds->Next(), rtl::EDatabaseError);
  EXPECT_THROW(ds->Locate("Id", "1"), rtl::EDatabaseError);
  ds->SetActive(true);
  EXPECT_EQ(ds->RecordCount(), 5u);
  EXPECT_EQ(Id(), 1);
}

TEST_F(DbDataSet, FieldsAreFoundWithoutRegardToCaseAndConvertTheirValues) {
  EXPECT_EQ(ds->FindField("NAME"), ds->Fields(1));
  EXPECT_EQ(ds->FieldByName("名称")->Index(), 6u);
  EXPECT_THROW(ds->Fields(7), rtl::EDatabaseError);
  EXPECT_THROW(ds->FieldByName("Nope"), rtl::EDatabaseError);
  constexpr int kRaises = -999;  // AsInteger raises EConvertError
  const struct {
    std::size_t row;  // RecNo
    const char* field;
    const char* text;
    int integer;
  } cases[] = {
      {1, "Code", "3", 3},       {1, "Score", "2.5", 2},  // halves round to even
      {1, "Flag", "True", 1},    {1, "Big", "9007199254740993", kRaises},
      {2, "Code", "x", kRaises}, {2, "Score", "", 0},
      {2, "Flag", "False", 0},   {3, "Name", "O'Neil", kRaises},
      {4, "Name", "", 0},        {4, "Code", "03", 3},
      {4, "Big", "-1", -1},      {4, "Score", "7", 7},
  };
  for (const auto& c : cases) {
    for (ds->First(); ds->RecNo() != c.row;) ds->Next();
    const rtl::TField* f = ds->FieldByName(c.field);
    EXPECT_EQ(f->AsString(), c.text) << c.field << " of row " << c.row;
    if (c.integer == kRaises) {
      EXPECT_THROW(f->AsInteger(), rtl::EConvertError) << c.field << " of row " << c.row;
    } else {
      EXPECT_EQ(f->AsInteger(), c.integer) << c.field << " of row " << c.row;
    }
  }
}

TEST_F(DbDataSet, LocateFindsTheFirstMatchingRow) {
  using rtl::loCaseInsensitive;
  using rtl::loPartialKey;
  const struct {
    const char* field;
    Variant key;
    rtl::TLocateOptions options;
    int id;  // 99: not found
  } cases[] = {
      {"Name", "bob", {}, 2},
      {"name", "Bob", {}, 99},
      {"Name", "bo", {}, 99},
      {"Name", "", {}, 99},
      {"Name", "Bob", {loCaseInsensitive}, 2},
      {"Name", "Bo", {loPartialKey}, 0},
      {"Name", "BO", {loCaseInsensitive, loPartialKey}, 2},
      {"Name", Variant::Null(), {}, 99},
      {"名称", "张三", {}, 1},
      {"Id", "3", {}, 3},
      {"Id", "03", {}, 3},
      {"Id", "3.0", {}, 3},
      {"Id", "-5", {}, -5},
      {"Id", "0", {}, 0},
      {"Id", "x", {}, 99},
      {"Id", " 3", {}, 99},
      {"Id", 3, {}, 3},
      {"Code", "3", {}, 1},
      {"Code", "03", {}, -5},
      {"Score", "2.5", {}, 1},
      {"Big", "9007199254740992", {}, 2},
      {"Flag", "false", {}, 2},
  };
  for (const auto& c : cases) {
    ds->Last();
    ds->Prior();  // on Id -5
    const bool found = ds->Locate(c.field, c.key, c.options);
    EXPECT_EQ(found, c.id != 99) << c.field << " = " << c.key.AsString();
    EXPECT_EQ(Id(), found ? c.id : -5) << c.field << " = " << c.key.AsString();
    EXPECT_FALSE(ds->Eof());
  }
  EXPECT_THROW(ds->Locate("Nope", "1"), rtl::EDatabaseError);
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

TEST(DbNumbers, DecimalTextRules) {
  const struct {
    const char* text;
    bool valid;
    bool isInteger;
    double value;
  } cases[] = {
      {"+5", true, true, 5},
      {"-.5", true, false, -0.5},
      {"5.", true, false, 5},
      {"-9223372036854775808", true, true, -0x1p63},
      {"9223372036854775808", true, false, 0x1p63},
      {"", false, false, 0},
      {".", false, false, 0},
      {"5 ", false, false, 0},
      {"1e3", false, false, 0},
      {"--5", false, false, 0},
      {"0x10", false, false, 0},
  };
  for (const auto& c : cases) {
    const auto d = rtl::ParseDecimal(c.text);
    ASSERT_EQ(d.has_value(), c.valid) << "\"" << c.text << "\"";
    if (!d) continue;
    EXPECT_EQ(d->isInteger, c.isInteger) << "\"" << c.text << "\"";
    EXPECT_EQ(d->real, c.value) << "\"" << c.text << "\"";
  }
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

TEST_F(DbFilter, ShowsTheRowsEachExpressionPasses) {
  const struct {
    std::string filter;
    std::vector<int> ids;
  } cases[] = {
      {"   ", {1, 2, 3, -5, 0}},
      {"id <> 3", {1, 2, -5, 0}},
      {"Id = +1", {1}},
      {"Id > 0 AND Id < 3", {1, 2}},
      // precedence: NOT over AND over OR
      {"Id = 1 OR Id = 2 AND Name = 'x'", {1}},
      {"(Id = 1 OR Id = 2) AND Name = 'bob'", {2}},
      {"NOT Id = 1 AND Id > 0", {2, 3}},
      {"NOT (Id = 1 OR Id = 2)", {3, -5, 0}},
      // keywords and field names ignore case; brackets and GBK names
      {"ID = 2 oR id = 3", {2, 3}},
      {"[Id] = 2", {2}},
      {"名称 = '张三'", {1, -5}},
      {"[名称] <> '张三'", {2, 0}},
      // text: quotes, case and bytes
      {"Name = 'O''Neil'", {3}},
      {"Name = 'ann'", {}},
      {"Name >= 'B'", {2, 3, 0}},
      // number literal against a text field reads the text as a number
      {"Code = 3", {1, -5}},
      {"Code > 3", {3}},
      {"NOT (Code = 3)", {3}},
      // text literal against a numeric field compares the decimal text
      {"Id = '3'", {3}},
      {"Id < '10'", {1, -5, 0}},
      {"Flag = 'True'", {1, -5}},
      {"Flag = 0", {2, 0}},
      {"Score = 7", {-5}},
      {"Score > -1.5", {1, 3, -5, 0}},
      {"Big = 9007199254740993", {1}},
      // Null matches nothing, not even through <> or NOT
      {"Name <> 'zzz'", {1, 2, 3, 0}},
      {"NOT Name = 'zzz'", {1, 2, 3, 0}},
      {"Score = 99 OR Id = 2", {2}},
      {"Score = 99 OR NOT Score = 99", {1, 3, -5, 0}},
      // a long chain of one operator does not deepen the tree
      {[] {
         std::string chain;
         for (int i = 0; i < 5000; ++i) chain += "Id = 99 OR ";
         return chain + "Id = 2";
       }(),
       {2}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Shown(*ds, c.filter), c.ids) << "filter: " << c.filter.substr(0, 40);
    EXPECT_EQ(ds->RecordCount(), c.ids.size()) << "filter: " << c.filter.substr(0, 40);
  }
}

TEST_F(DbFilter, InvalidExpressionsRaiseWithAReason) {
  const struct {
    std::string filter;
    const char* reason;
  } cases[] = {
      {"Id =", "expected a number or a quoted text at position 5"},
      {"Id 3", "expected a comparison operator"},
      {"= 3", "expected a field name at position 1"},
      {"3 = Id", "expected a field name"},
      {"Id = 3 AND", "expected a field name"},
      {"Id = Name", "expected a number or a quoted text"},
      {"(Id = 3", "expected ')'"},
      {"Id = 3)", "unexpected ')'"},
      {"()", "expected a field name"},
      {"Name = 'abc", "unterminated text"},
      {"[Id = 3", "missing ']'"},
      {"[] = 3", "empty field name"},
      {"Id = 1.2.3", "invalid number '1.2.3'"},
      {"Id = 3 # 4", "unexpected character '#'"},
      {"Id != 3", "unexpected character '!'"},
      {"Nope = 3", "Field 'Nope' not found"},
      {"Id = 1 OR [No Such] = 'a'", "Field 'No Such' not found"},
      {std::string(200, '(') + "Id = 1" + std::string(200, ')'), "nesting too deep"},
      {[] {
         std::string s;
         for (int i = 0; i < 100000; ++i) s += "NOT ";
         return s + "Id = 1";
       }(),
       "nesting too deep"},
  };
  for (const auto& c : cases) {
    try {
      Shown(*ds, c.filter);
      ADD_FAILURE() << "expected EDatabaseError for: " << c.filter.substr(0, 40);
    } catch (const rtl::EDatabaseError& e) {
      EXPECT_NE(e.Message().find(c.reason), std::string::npos)
          << "expected a message containing \"" << c.reason << "\", got \"" << e.Message() << "\"";
    }
  }
}

TEST_F(DbFilter, AFailingChangeLeavesTheStateAsItWas) {
  ds->SetFilter("Id > 0");
  ds->SetFiltered(true);
  ds->Next();
  EXPECT_THROW(ds->SetFilter("Id >"), rtl::EDatabaseError);
  EXPECT_EQ(ds->Filter(), "Id > 0");
  EXPECT_TRUE(ds->Filtered());
  EXPECT_EQ(ds->RecordCount(), 3u);

  ds->SetFiltered(false);
  ds->SetFilter("Missing = 1");  // not filtering: stored, not parsed
  EXPECT_EQ(ds->Filter(), "Missing = 1");
  EXPECT_THROW(ds->SetFiltered(true), rtl::EDatabaseError);
  EXPECT_FALSE(ds->Filtered());
  EXPECT_EQ(ds->RecordCount(), 5u);
}

TEST_F(DbFilter, ChangesReevaluateFromTheFirstRow) {
  ds->Last();
  ds->SetFilter("Id >= 2");
  EXPECT_EQ(ds->RecNo(), 5u) << "setting Filter while not filtered must not move the cursor";
  ds->SetFiltered(true);
  EXPECT_EQ(ds->RecNo(), 1u);
  EXPECT_EQ(Id(), 2);
  ds->Next();
  ds->SetFilter("Id >= 3");
  EXPECT_EQ(ds->RecordCount(), 1u);
  EXPECT_EQ(Id(), 3);
  ds->SetFiltered(false);
  EXPECT_EQ(ds->RecordCount(), 5u);
  EXPECT_EQ(Id(), 1);
}

TEST(DbFilterContent, AFilterSetBeforeTheDataAppliesToIt) {
  const auto ds = rtl::Add<rtl::TClientDataSet>(nullptr);
  ds->SetFilter("Name = 'bob'");
  ds->SetFiltered(true);  // no fields yet: only the syntax is checked
  ds->SetPacket(SampleTable());
  EXPECT_EQ(VisibleIds(*ds), std::vector<int>{2});

  rtl::DataPacket other;
  other.AddField("Id", rtl::ftInteger).AppendRow({7});
  EXPECT_THROW(ds->SetPacket(other), rtl::EDatabaseError) << "the filter names a field the packet lacks";
  EXPECT_EQ(VisibleIds(*ds), std::vector<int>{2}) << "the previous content stays";
}

TEST(DbFilterContent, DoubleByteNamesAreReadWhole) {
  // The second byte of 乚 is ']', which must not end a bracketed name.
  rtl::DataPacket p;
  p.AddField("乚", rtl::ftInteger).AddField("Id", rtl::ftInteger).AppendRow({1, 1}).AppendRow({2, 2});
  const auto ds = rtl::Add<rtl::TClientDataSet>(nullptr);
  ds->SetPacket(p);
  for (const char* filter : {"[乚] = 2", "乚 = 2"}) EXPECT_EQ(Shown(*ds, filter), std::vector<int>{2}) << filter;
}

}  // namespace
