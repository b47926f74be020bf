// Client datasets: Data in and out, the cursor, fields and their
// conversions, Locate, and creation from a form description's class name.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db_fixture.h"
#include "runtime/components/Classes.h"
#include "runtime/except/Exceptions.h"

namespace {

using dbtest::SampleTable;
using dbtest::VisibleIds;
using rtl::Variant;

class DbDataSet : public ::testing::Test {
 protected:
  void SetUp() override { ds.SetPacket(SampleTable()); }
  int Id() { return ds.FieldByName("Id")->AsInteger(); }
  rtl::TClientDataSet ds{nullptr};
};

TEST(DbClientDataSet, ADialogReadsTheDataAHostAssigns) {
  rtl::DataPacket packet;
  packet.AddField("UserName", rtl::ftString).AddField("password", rtl::ftString);
  packet.AppendRow({"张三", "s3cret"});
  const Variant data(rtl::EncodeDataPacket(packet));

  rtl::TComponent form(nullptr);
  auto* ds = dynamic_cast<rtl::TClientDataSet*>(rtl::CreateComponentOfClass("TClientDataSet", &form));
  ASSERT_NE(ds, nullptr);
  EXPECT_STREQ(ds->ClassName(), "TClientDataSet");
  EXPECT_TRUE(ds->Data().IsNull()) << "no content yet";
  ds->SetData(data);
  EXPECT_TRUE(ds->Active());
  EXPECT_EQ(ds->FieldByName("PASSWORD")->AsString(), "s3cret");
  EXPECT_EQ(ds->FieldByName("username")->AsString(), "张三");
  EXPECT_EQ(ds->Data().AsByteArray(), data.AsByteArray());
}

TEST(DbClientDataSet, AnEmptyPacketOpensAtEof) {
  rtl::DataPacket packet;
  packet.AddField("password", rtl::ftString);
  rtl::TClientDataSet ds(nullptr);
  ds.SetData(rtl::EncodeDataPacket(packet));
  EXPECT_TRUE(ds.Active());
  EXPECT_TRUE(ds.Eof());
  EXPECT_TRUE(ds.Bof());
  EXPECT_EQ(ds.RecordCount(), 0u);
  EXPECT_EQ(ds.RecNo(), 0u);
  EXPECT_TRUE(ds.FieldByName("password")->IsNull());
  EXPECT_EQ(ds.FieldByName("password")->AsString(), "");
  ds.Next();
  EXPECT_TRUE(ds.Eof());
}

TEST(DbClientDataSet, BadDataRaisesAndKeepsTheContent) {
  rtl::TClientDataSet ds(nullptr);
  EXPECT_THROW(ds.Open(), rtl::EDatabaseError) << "nothing to open yet";
  ds.SetPacket(SampleTable());
  ds.Next();
  const Variant notPackets[] = {Variant("VDPK"), Variant::Null(), Variant(), Variant(5)};
  for (const Variant& v : notPackets) {
    try {
      ds.SetData(v);
      ADD_FAILURE() << "expected EDatabaseError for a " << Variant::TypeName(v.Type());
    } catch (const rtl::EDatabaseError& e) {
      EXPECT_EQ(e.Message(), "Invalid data packet");
    }
  }
  EXPECT_THROW(ds.SetData(rtl::ByteArray{'V', 'D', 'P', 'K'}), rtl::EDatabaseError);
  EXPECT_EQ(ds.RecordCount(), 5u);
  EXPECT_EQ(ds.RecNo(), 2u);
}

TEST_F(DbDataSet, DataHoldsEveryRowWhateverTheFilter) {
  ds.SetFilter("Id = 2");
  ds.SetFiltered(true);
  rtl::TClientDataSet copy(nullptr);
  copy.SetData(ds.Data());
  EXPECT_EQ(VisibleIds(copy), (std::vector<int>{1, 2, 3, -5, 0}));
}

TEST_F(DbDataSet, CursorMovesAndStopsAtTheEnds) {
  EXPECT_TRUE(ds.Bof());
  EXPECT_FALSE(ds.Eof());
  EXPECT_EQ(ds.RecNo(), 1u);
  ds.Prior();
  EXPECT_EQ(Id(), 1);
  EXPECT_TRUE(ds.Bof());
  for (int i = 0; i < 4; ++i) ds.Next();
  EXPECT_FALSE(ds.Eof());
  EXPECT_FALSE(ds.Bof());
  EXPECT_EQ(Id(), 0);
  ds.Next();
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(Id(), 0) << "Next past the last row stays on it";
  ds.Prior();
  EXPECT_FALSE(ds.Eof());
  EXPECT_EQ(ds.RecNo(), 4u);
  ds.First();
  ds.Last();
  EXPECT_TRUE(ds.Eof());
  EXPECT_EQ(ds.RecNo(), 5u);
}

TEST_F(DbDataSet, ClosedDatasetsHaveNoCurrentRow) {
  ds.Next();
  ds.Close();
  EXPECT_TRUE(ds.Eof());
  EXPECT_TRUE(ds.Bof());
  EXPECT_EQ(ds.RecordCount(), 0u);
  EXPECT_TRUE(ds.FieldByName("Id")->IsNull());
  EXPECT_THROW(ds.Next(), rtl::EDatabaseError);
  EXPECT_THROW(ds.Locate("Id", "1"), rtl::EDatabaseError);
  ds.SetActive(true);
  EXPECT_EQ(ds.RecordCount(), 5u);
  EXPECT_EQ(Id(), 1);
}

TEST_F(DbDataSet, FieldsAreFoundWithoutRegardToCase) {
  EXPECT_EQ(ds.FieldCount(), 7u);
  EXPECT_EQ(ds.FindField("NAME"), ds.Fields(1));
  EXPECT_EQ(ds.FieldByName("名称")->Index(), 6u);
  EXPECT_EQ(ds.FindField("Nope"), nullptr);
  EXPECT_THROW(ds.Fields(7), rtl::EDatabaseError);
  try {
    ds.FieldByName("Nope");
    ADD_FAILURE() << "expected EDatabaseError";
  } catch (const rtl::EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'Nope' not found");
  }
}

TEST_F(DbDataSet, FieldsConvertTheirValues) {
  constexpr int kRaises = -999;  // AsInteger raises EConvertError
  const struct {
    std::size_t row;  // RecNo
    const char* field;
    const char* text;
    int integer;
  } cases[] = {
      {1, "Id", "1", 1},      {1, "Code", "3", 3},     {1, "Score", "2.5", 2},  // halves round to even
      {1, "Flag", "True", 1}, {1, "Big", "9007199254740993", kRaises},         {2, "Code", "x", kRaises},
      {2, "Score", "", 0},    {2, "Flag", "False", 0}, {3, "Name", "O'Neil", kRaises},
      {3, "Score", "-1", -1}, {4, "Name", "", 0},      {4, "Code", "03", 3},
      {4, "Big", "-1", -1},   {4, "Score", "7", 7},    {5, "Score", "0", 0},
  };
  for (const auto& c : cases) {
    for (ds.First(); ds.RecNo() != c.row;) ds.Next();
    const rtl::TField* f = ds.FieldByName(c.field);
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
    ds.Last();
    ds.Prior();  // on Id -5
    const bool found = ds.Locate(c.field, c.key, c.options);
    EXPECT_EQ(found, c.id != 99) << c.field << " = " << c.key.AsString();
    EXPECT_EQ(Id(), found ? c.id : -5) << c.field << " = " << c.key.AsString();
    EXPECT_FALSE(ds.Eof());
  }
  EXPECT_THROW(ds.Locate("Nope", "1"), rtl::EDatabaseError);
  EXPECT_THROW(ds.Locate("Id", Variant(rtl::ByteArray{1})), rtl::EDatabaseError);
}

TEST_F(DbDataSet, LocateSearchesOnlyTheVisibleRows) {
  ds.SetFilter("Id <> 2");
  ds.SetFiltered(true);
  EXPECT_FALSE(ds.Locate("Name", "bob"));
  EXPECT_TRUE(ds.Locate("Flag", "False"));
  EXPECT_EQ(Id(), 0);
  EXPECT_EQ(ds.RecNo(), 4u);
}

TEST(DbClientDataSet, CaseFoldingSparesDoubleByteCharacters) {
  // 乤 and 丄 differ only in their second byte: 'a' against 'A'.
  rtl::DataPacket p;
  p.AddField("Id", rtl::ftInteger).AddField("Name", rtl::ftString).AppendRow({1, "乤"}).AppendRow({2, "a丄"});
  rtl::TClientDataSet ds(nullptr);
  ds.SetPacket(p);
  EXPECT_FALSE(ds.Locate("Name", "丄", {rtl::loCaseInsensitive}));
  EXPECT_TRUE(ds.Locate("Name", "A丄", {rtl::loCaseInsensitive}));
  EXPECT_EQ(ds.FieldByName("Id")->AsInteger(), 2);
}

TEST(DbNumbers, DecimalTextRules) {
  const struct {
    const char* text;
    bool valid;
    bool isInteger;
    double value;
  } cases[] = {
      {"5", true, true, 5},        {"05", true, true, 5},      {"+5", true, true, 5},
      {"-5", true, true, -5},      {"-0", true, true, 0},      {"2.50", true, false, 2.5},
      {".5", true, false, 0.5},    {"-.5", true, false, -0.5}, {"5.", true, false, 5},
      {"-9223372036854775808", true, true, -9223372036854775808.0},
      {"9223372036854775808", true, false, 9223372036854775808.0},
      {"", false, false, 0},       {"-", false, false, 0},     {".", false, false, 0},
      {" 5", false, false, 0},     {"5 ", false, false, 0},    {"1e3", false, false, 0},
      {"1.2.3", false, false, 0},  {"--5", false, false, 0},   {"0x10", false, false, 0},
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

}  // namespace
