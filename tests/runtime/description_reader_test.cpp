// Compiled form descriptions that are damaged: each is refused with
// EReadError naming what is wrong, and nothing is read outside the data (the
// sanitizer run checks that part).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FormText.h"
#include "runtime/except/Exceptions.h"
#include "runtime/forms/Description.h"
#include "tests/support/Expectations.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Writes compiled descriptions by hand, so that tests can damage any field.
class Stream {
 public:
  Stream& U8(unsigned v) { return Put(v, 1); }
  Stream& U16(unsigned v) { return Put(v, 2); }
  Stream& U32(std::uint32_t v) { return Put(v, 4); }
  Stream& Raw(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
  Stream& Name(const std::string& s) { return U8(static_cast<unsigned>(s.size())).Raw(s); }
  Stream& Header() { return Raw("VDFM").U8(1); }
  // An object's start: kind, name, class and its property count.
  Stream& Object(const std::string& name, unsigned properties) {
    return U8(0).Name(name).Name(std::string(1, 'T').append(name)).U16(properties);
  }
  Bytes bytes;

 private:
  Stream& Put(std::uint64_t v, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
  }
};

// A form nested depth objects deep, the form counting as the first.
Bytes Nested(int depth) {
  Stream s;
  s.Header();
  for (int i = 0; i < depth; ++i) s.Object("F", 0).U16(i + 1 < depth ? 1 : 0);
  return s.bytes;
}

std::string ReadError(const Bytes& data) {
  try {
    rtl::ReadDescription(data);
  } catch (const rtl::EReadError& e) {
    return e.Message();
  }
  return "(read without error)";
}

struct DamagedCase {
  std::string name;
  Bytes data;
  std::string error;
};

void PrintTo(const DamagedCase& c, std::ostream* os) { *os << c.name; }

class Damaged : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(Damaged, ReadErrorNamesWhatIsWrong) {
  const std::string message = ReadError(GetParam().data);
  EXPECT_NE(message.find(GetParam().error), std::string::npos)
      << "expected \"" << GetParam().error << "\", got " << message;
}

TEST_P(Damaged, ReadErrorGivesTheBytePosition) {
  const std::string message = ReadError(GetParam().data);
  EXPECT_EQ(message.rfind("Form description at byte ", 0), 0u) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, Damaged,
    ::testing::Values(

        DamagedCase{"Empty", {}, "truncated"},
        DamagedCase{"AnotherFormat", Stream().Raw("object F: TF\nend\n").bytes, "not a compiled form description"},
        DamagedCase{"LaterVersion", Stream().Raw("VDFM").U8(2).bytes, "unknown version"},
        DamagedCase{"UnknownObjectKind", Stream().Header().U8(2).Name("F").Name("TF").U16(0).U16(0).bytes,
                    "bad object kind"},
        DamagedCase{"EmptyName", Stream().Header().U8(0).Name("").Name("TF").U16(0).U16(0).bytes, "empty name"},
        DamagedCase{"DottedClassName", Stream().Header().U8(0).Name("F").Name("T.F").U16(0).U16(0).bytes,
                    "bad character in a name"},
        DamagedCase{"PropertyNameWithADash", Stream().Header().Object("F", 1).Name("A-B").U8(1).bytes,
                    "bad character in a name"},
        DamagedCase{"ValueTag0", Stream().Header().Object("F", 1).Name("A").U8(0).bytes, "bad value tag"},
        DamagedCase{"ValueTag7", Stream().Header().Object("F", 1).Name("A").U8(7).bytes, "bad value tag"},
        DamagedCase{"TextLongerThanTheData",
                    Stream().Header().Object("F", 1).Name("A").U8(3).U32(0xFFFFFFFF).Raw("abc").bytes, "truncated"},
        DamagedCase{"BinaryLongerThanTheData",
                    Stream().Header().Object("F", 1).Name("A").U8(6).U32(0x80000000).Raw("ab").bytes, "truncated"},
        DamagedCase{"SetCountBeyondItsItems",
                    Stream().Header().Object("F", 1).Name("A").U8(5).U16(0xFFFF).Name("x").bytes, "truncated"},
        DamagedCase{"PropertyCountBeyondTheProperties",
                    Stream().Header().Object("F", 0xFFFF).Name("A").U8(4).Name("x").bytes, "truncated"},
        DamagedCase{"ChildCountBeyondTheChildren", Stream().Header().Object("F", 0).U16(2).Object("G", 0).U16(0).bytes,
                    "truncated"},
        DamagedCase{"BytesAfterTheForm", Stream().Header().Object("F", 0).U16(0).U8(0).bytes, "bytes after the form"},
        DamagedCase{"NestedTooDeep", Nested(65), "components nested too deeply"}),
    velmora::test::CaseName());

TEST(DescriptionReader, RefusesEveryTruncation) {
  const Bytes whole = formtext::Compile(
      "object F: TF\n  I = -5\n  R = 1.5\n  T = 'ab'#0'c'\n  E = alClient\n  S = [akLeft, akTop]\n"
      "  B = {00FF10}\n  Empty = ''\n  None = []\n  object P: TP\n    inherited Q: TQ\n      X = 1\n    end\n"
      "  end\nend\n");
  ASSERT_EQ(ReadError(whole), "(read without error)");
  for (std::size_t length = 0; length < whole.size(); ++length) {
    // A copy of exactly the prefix, so that the sanitizer sees any read past it.
    const Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    const std::string message = ReadError(prefix);
    EXPECT_NE(message.find("truncated"), std::string::npos) << "prefix of " << length << " bytes: " << message;
  }
}

}  // namespace
