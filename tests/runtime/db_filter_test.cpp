// Filter expressions through a client dataset: which rows each expression
// shows, the errors bad expressions raise, and the dataset's state around
// those errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db_fixture.h"
#include "runtime/except/Exceptions.h"

namespace {

using dbtest::SampleTable;
using dbtest::VisibleIds;

class DbFilter : public ::testing::Test {
 protected:
  void SetUp() override { ds.SetPacket(SampleTable()); }
  rtl::TClientDataSet ds{nullptr};
};

TEST_F(DbFilter, ShowsTheRowsEachExpressionPasses) {
  const struct {
    const char* filter;
    std::vector<int> ids;
  } cases[] = {
      {"", {1, 2, 3, -5, 0}},
      {"   ", {1, 2, 3, -5, 0}},
      {"Id = 3", {3}},
      {"id <> 3", {1, 2, -5, 0}},
      {"Id = -5", {-5}},
      {"Id = +1", {1}},
      {"Id > 0 AND Id < 3", {1, 2}},
      // precedence: NOT over AND over OR
      {"Id = 1 OR Id = 2 AND Name = 'x'", {1}},
      {"(Id = 1 OR Id = 2) AND Name = 'bob'", {2}},
      {"NOT Id = 1 AND Id > 0", {2, 3}},
      {"NOT (Id = 1 OR Id = 2)", {3, -5, 0}},
      {"((Id = 2))", {2}},
      // keywords and field names ignore case; brackets and GBK names
      {"ID = 2 oR id = 3", {2, 3}},
      {"id = 1 and not ID = 2", {1}},
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
      {"Score = 2.5", {1}},
      {"Score = 7", {-5}},
      {"Score > -1.5", {1, 3, -5, 0}},
      {"Big = 9007199254740993", {1}},
      {"Big < 0", {-5}},
      // Null matches nothing, not even through <> or NOT
      {"Name <> 'zzz'", {1, 2, 3, 0}},
      {"NOT Name = 'zzz'", {1, 2, 3, 0}},
      {"Score = 99 OR Id = 2", {2}},
      {"Score = 99 OR NOT Score = 99", {1, 3, -5, 0}},
  };
  for (const auto& c : cases) {
    ds.SetFiltered(false);
    ds.SetFilter(c.filter);
    ds.SetFiltered(true);
    EXPECT_EQ(VisibleIds(ds), c.ids) << "filter: " << c.filter;
    EXPECT_EQ(ds.RecordCount(), c.ids.size()) << "filter: " << c.filter;
  }
}

TEST_F(DbFilter, LongOperatorChainsDoNotDeepenTheTree) {
  std::string filter;
  for (int i = 0; i < 5000; ++i) filter += "Id = 99 OR ";
  filter += "Id = 2";
  ds.SetFilter(filter);
  ds.SetFiltered(true);
  EXPECT_EQ(VisibleIds(ds), std::vector<int>{2});
}

TEST_F(DbFilter, InvalidExpressionsRaiseWithAReason) {
  const struct {
    std::string filter;
    const char* reason;
  } cases[] = {
      {"Id =", "expected a number or a quoted text at position 5"},
      {"Id 3", "expected a comparison operator"},
      {"Id == 3", "expected a number or a quoted text"},
      {"= 3", "expected a field name at position 1"},
      {"3 = Id", "expected a field name"},
      {"Id = 3 AND", "expected a field name"},
      {"AND = 3", "expected a field name"},
      {"Id = Name", "expected a number or a quoted text"},
      {"(Id = 3", "expected ')'"},
      {"Id = 3)", "unexpected ')'"},
      {"()", "expected a field name"},
      {"Name = 'abc", "unterminated text"},
      {"[Id = 3", "missing ']'"},
      {"[] = 3", "empty field name"},
      {"Id = 1.2.3", "invalid number '1.2.3'"},
      {"Id = -", "invalid number"},
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
    ds.SetFiltered(false);
    ds.SetFilter(c.filter);
    try {
      ds.SetFiltered(true);
      ADD_FAILURE() << "expected EDatabaseError for: " << c.filter.substr(0, 40);
    } catch (const rtl::EDatabaseError& e) {
      EXPECT_NE(e.Message().find(c.reason), std::string::npos)
          << "expected a message containing \"" << c.reason << "\", got \"" << e.Message() << "\"";
    }
  }
}

TEST_F(DbFilter, AFailingChangeLeavesTheStateAsItWas) {
  ds.SetFilter("Id > 0");
  ds.SetFiltered(true);
  ds.Next();
  EXPECT_THROW(ds.SetFilter("Id >"), rtl::EDatabaseError);
  EXPECT_EQ(ds.Filter(), "Id > 0");
  EXPECT_TRUE(ds.Filtered());
  EXPECT_EQ(ds.RecordCount(), 3u);

  ds.SetFiltered(false);
  ds.SetFilter("Missing = 1");  // not filtering: stored, not parsed
  EXPECT_EQ(ds.Filter(), "Missing = 1");
  EXPECT_THROW(ds.SetFiltered(true), rtl::EDatabaseError);
  EXPECT_FALSE(ds.Filtered());
  EXPECT_EQ(ds.RecordCount(), 5u);
}

TEST_F(DbFilter, ChangesReevaluateFromTheFirstRow) {
  ds.Last();
  ds.SetFilter("Id >= 2");
  EXPECT_EQ(ds.RecNo(), 5u) << "setting Filter while not filtered must not move the cursor";
  ds.SetFiltered(true);
  EXPECT_EQ(ds.RecNo(), 1u);
  EXPECT_EQ(ds.FieldByName("Id")->AsInteger(), 2);
  ds.Next();
  ds.SetFilter("Id >= 3");
  EXPECT_EQ(ds.RecordCount(), 1u);
  EXPECT_EQ(ds.FieldByName("Id")->AsInteger(), 3);
  ds.SetFiltered(false);
  EXPECT_EQ(ds.RecordCount(), 5u);
  EXPECT_EQ(ds.FieldByName("Id")->AsInteger(), 1);
}

TEST(DbFilterContent, AFilterSetBeforeTheDataAppliesToIt) {
  rtl::TClientDataSet ds(nullptr);
  ds.SetFilter("Name = 'bob'");
  ds.SetFiltered(true);  // no fields yet: only the syntax is checked
  ds.SetPacket(SampleTable());
  EXPECT_EQ(VisibleIds(ds), std::vector<int>{2});

  rtl::DataPacket other;
  other.AddField("Id", rtl::ftInteger).AppendRow({7});
  EXPECT_THROW(ds.SetPacket(other), rtl::EDatabaseError) << "the filter names a field the packet lacks";
  EXPECT_EQ(VisibleIds(ds), std::vector<int>{2}) << "the previous content stays";
}

TEST(DbFilterContent, DoubleByteNamesAreReadWhole) {
  // The second byte of 乚 is ']', which must not end a bracketed name.
  rtl::DataPacket p;
  p.AddField("乚", rtl::ftInteger).AddField("Id", rtl::ftInteger).AppendRow({1, 1}).AppendRow({2, 2});
  rtl::TClientDataSet ds(nullptr);
  ds.SetPacket(p);
  for (const char* filter : {"[乚] = 2", "乚 = 2"}) {
    ds.SetFiltered(false);
    ds.SetFilter(filter);
    ds.SetFiltered(true);
    EXPECT_EQ(VisibleIds(ds), std::vector<int>{2}) << "filter: " << filter;
  }
}

}  // namespace
