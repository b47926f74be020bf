// The data packet format: its exact bytes, round trips of every type, the
// checks of the builders, and rejection of every kind of malformed packet
// (random damage: tests/fuzz).
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "db_fixture.h"
#include "runtime/except/Exceptions.h"
#include "tests/support/Expectations.h"

namespace {

using rtl::ByteArray;
using rtl::DataPacket;
using rtl::Variant;

// Each field and value of a packet as text: values by type and text,
// Doubles by their bits, so -0.0 and 0.0 differ.
std::vector<std::string> Render(const DataPacket& p) {
  std::vector<std::string> out;
  for (const rtl::FieldDef& f : p.fields) out.push_back(f.name + ":" + std::to_string(static_cast<int>(f.type)));
  for (const rtl::Row& row : p.rows) {
    for (const Variant& v : row) {
      std::string text = v.IsNull() ? "" : v.AsString();
      if (v.Type() == rtl::VarType::Double) text = std::to_string(std::bit_cast<std::uint64_t>(v.AsDouble()));
      out.push_back(std::string(Variant::TypeName(v.Type())) + ":" + text);
    }
  }
  return out;
}

// Pieces for writing packets by hand.
ByteArray Cat(std::initializer_list<ByteArray> parts) {
  ByteArray b;
  for (const ByteArray& part : parts) b.insert(b.end(), part.begin(), part.end());
  return b;
}
ByteArray U32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 24)};
}
ByteArray Header(std::uint16_t fieldCount) {
  return {'V', 'D', 'P', 'K', 1, 0, static_cast<std::uint8_t>(fieldCount), static_cast<std::uint8_t>(fieldCount >> 8)};
}
ByteArray Field(std::uint8_t type, const std::string& name) {
  ByteArray b{type, static_cast<std::uint8_t>(name.size()), 0};
  for (char c : name) b.push_back(static_cast<std::uint8_t>(c));
  return b;
}

TEST(DbPacket, EncodesTheDocumentedLayout) {
  DataPacket p;
  p.AddField("S", rtl::ftString).AddField("I", rtl::ftInteger).AddField("B", rtl::ftBoolean);
  p.AppendRow({"hi", -2, true}).AppendRow({Variant::Null(), 0x01020304, false});
  const ByteArray expected = {
      'V', 'D', 'P', 'K', 1, 0,   3,   0,                                  // magic, version, field count
      1,   1,   0,   'S', 2, 1,   0,   'I', 5,    1,    0,    'B',         // fields
      2,   0,   0,   0,                                                    // row count
      1,   2,   0,   0,   0, 'h', 'i', 1,   0xFE, 0xFF, 0xFF, 0xFF, 1, 1,  // row 1
      0,   1,   4,   3,   2, 1,   1,   0,                                  // row 2
  };
  EXPECT_EQ(rtl::EncodeDataPacket(p), expected);
}

TEST(DbPacket, RoundTripsEveryTypeWithNulls) {
  DataPacket p = dbtest::SampleTable();
  p.AppendRow({std::numeric_limits<std::int32_t>::min(), "", "中文'\"", -0.0, std::numeric_limits<std::int64_t>::min(),
               false, Variant::Null()});
  p.AppendRow({std::numeric_limits<std::int32_t>::max(), std::string("a\0b", 3), "x", 1e300,
               std::numeric_limits<std::int64_t>::max(), true, "王"});
  EXPECT_EQ(Render(rtl::DecodeDataPacket(rtl::EncodeDataPacket(p))), Render(p));
}

TEST(DbPacket, RoundTripsAnEmptyPacket) {
  EXPECT_TRUE(Render(rtl::DecodeDataPacket(rtl::EncodeDataPacket(DataPacket{}))).empty());
}

// A packet with an Integer, a Largeint and a Float field.
class PacketBuilder : public ::testing::Test {
 protected:
  void SetUp() override {
    p.AddField("Id", rtl::ftInteger).AddField("Big", rtl::ftLargeint).AddField("F", rtl::ftFloat);
  }
  DataPacket p;
};

TEST_F(PacketBuilder, RefusesAFieldNameTakenInAnotherCase) {
  EXPECT_THROW(p.AddField("ID", rtl::ftString), rtl::EDatabaseError);
  EXPECT_EQ(p.fields.size(), 3u);
}

TEST_F(PacketBuilder, RefusesAnEmptyFieldName) { EXPECT_THROW(p.AddField("", rtl::ftString), rtl::EDatabaseError); }

TEST_F(PacketBuilder, RefusesAnUnknownFieldType) {
  EXPECT_THROW(p.AddField("X", static_cast<rtl::TFieldType>(9)), rtl::EDatabaseError);
}

TEST_F(PacketBuilder, RefusesARowOfTheWrongWidth) { EXPECT_THROW(p.AppendRow({1, 2}), rtl::EDatabaseError); }

TEST_F(PacketBuilder, RefusesAnIntegerThatDoesNotFit) {
  EXPECT_THROW(p.AppendRow({std::int64_t{1} << 40, 2, 3}), rtl::EDatabaseError);
}

TEST_F(PacketBuilder, StoresEachValueAsItsFieldsType) {
  p.AppendRow({std::int64_t{7}, 2, 3});  // widening and fitting narrowing are fine
  EXPECT_EQ(p.rows[0][0].Type(), rtl::VarType::Integer);
  EXPECT_EQ(p.rows[0][1].Type(), rtl::VarType::Int64);
  EXPECT_EQ(p.rows[0][2].Type(), rtl::VarType::Double);
}

TEST_F(PacketBuilder, RefusesAFieldAfterTheFirstRow) {
  p.AppendRow({1, 2, 3});
  EXPECT_THROW(p.AddField("Late", rtl::ftString), rtl::EDatabaseError);
}

TEST_F(PacketBuilder, TypeMismatchNamesTheFieldWithBothTypes) {
  try {
    p.AppendRow({"x", 2, 3});
    ADD_FAILURE() << "expected a type mismatch";
  } catch (const rtl::EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Type mismatch for field 'Id', expecting: Integer actual: String");
  }
}

// Every proper prefix fails because it is short: at the read that runs past
// its end, or at a count the remaining bytes cannot hold. Any other reason
// (trailing bytes, a bad flag) means a read went past the end unnoticed.
TEST(DbPacket, EveryTruncationRaisesAsTruncated) {
  const ByteArray valid = rtl::EncodeDataPacket(dbtest::SampleTable());
  for (std::size_t size = 0; size < valid.size(); ++size) {
    // A copy of exactly the prefix, so the sanitizer sees any read past it.
    const ByteArray prefix(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(size));
    try {
      rtl::DecodeDataPacket(prefix);
      ADD_FAILURE() << "prefix of " << size << " bytes: expected EDatabaseError";
    } catch (const rtl::EDatabaseError& e) {
      const std::string& m = e.Message();
      EXPECT_TRUE(m.ends_with(": truncated") || m.ends_with("count exceeds the packet size"))
          << "prefix of " << size << " bytes: expected truncated, got " << m;
    }
  }
}

const ByteArray kStringField = Cat({Header(1), Field(1, "a")});

struct MalformedPacketCase {
  std::string name;
  ByteArray bytes;
  std::string reason;
};

void PrintTo(const MalformedPacketCase& c, std::ostream* os) { *os << c.name; }

class MalformedPacket : public ::testing::TestWithParam<MalformedPacketCase> {};

TEST_P(MalformedPacket, RaisesWithTheReason) {
  try {
    rtl::DecodeDataPacket(GetParam().bytes);
    ADD_FAILURE() << "expected EDatabaseError";
  } catch (const rtl::EDatabaseError& e) {
    EXPECT_EQ(e.Message().rfind("Malformed data packet: ", 0), 0u) << e.Message();
    EXPECT_NE(e.Message().find(GetParam().reason), std::string::npos)
        << "expected " << GetParam().reason << ", got " << e.Message();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Packets, MalformedPacket,
    ::testing::Values(
        MalformedPacketCase{"Magic", Cat({{'V', 'D', 'P', 'X', 1, 0, 0, 0}, U32(0)}), "bad magic"},
        MalformedPacketCase{"Version", Cat({{'V', 'D', 'P', 'K', 2, 0, 0, 0}, U32(0)}), "unsupported version 2"},
        MalformedPacketCase{"FieldTypeZero", Cat({Header(1), Field(0, "a"), U32(0)}), "unknown field type 0"},
        MalformedPacketCase{"FieldTypeSix", Cat({Header(1), Field(6, "a"), U32(0)}), "unknown field type 6"},
        MalformedPacketCase{"EmptyFieldName", Cat({Header(1), Field(1, ""), U32(0), U32(0)}), "empty field name"},
        MalformedPacketCase{"DuplicateFieldName", Cat({Header(2), Field(1, "ab"), Field(2, "AB"), U32(0)}),
                            "Duplicate field name 'AB'"},
        MalformedPacketCase{"PresentFlag", Cat({kStringField, U32(1), {2}, U32(0)}), "present flag 2"},
        MalformedPacketCase{"BooleanValue", Cat({Header(1), Field(5, "a"), U32(1), {1, 2}}), "Boolean value 2"},
        MalformedPacketCase{"RowCount", Cat({kStringField, U32(0xFFFFFFFF), {0}}), "row count exceeds"},
        MalformedPacketCase{"RowsWithoutFields", Cat({Header(0), U32(3)}), "rows without fields"},
        MalformedPacketCase{"FieldCount", Cat({Header(0xFFFF), Field(1, "a"), U32(0)}), "field count exceeds"},
        MalformedPacketCase{"HugeString", Cat({kStringField, U32(1), {1}, U32(0xFFFFFFFF), {'x'}}), "truncated"},
        MalformedPacketCase{"TrailingBytes", Cat({kStringField, U32(0), {0}}), "trailing bytes"}),
    velmora::test::CaseName());

}  // namespace
