// Text routines and the conversions between GBK, UTF-16 and UTF-8. Narrow
// literals here are GBK bytes ("中" is D6 D0).
#include "runtime/text/Text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"
#include "runtime/text/GbkTable.h"
#include "runtime/text/Unicode.h"
#include "tests/support/Expectations.h"

namespace {

using velmora::test::CaseName;
using velmora::test::Utf8;

// ---- The toolkit's text routines --------------------------------------------

struct TrimCase {
  std::string name, in, out;
};

void PrintTo(const TrimCase& c, std::ostream* os) { *os << c.name; }

class Trim : public ::testing::TestWithParam<TrimCase> {};

TEST_P(Trim, CutsEveryByteUpToSpaceFromBothEnds) { EXPECT_EQ(rtl::Trim(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(Texts, Trim,
                         ::testing::Values(TrimCase{"BlanksOnly", " \t\r\n", ""},
                                           TrimCase{"ControlsAroundText", std::string("\0\x01 a b\x1f ", 8), "a b"},
                                           TrimCase{"DeleteIsText",
                                                    "\x7f"
                                                    "a\x7f",
                                                    "\x7f"
                                                    "a\x7f"},
                                           // Full-width blanks are text.
                                           TrimCase{"FullWidthBlanks", "\xA1\xA1中\xA1\xA1", "\xA1\xA1中\xA1\xA1"}),
                         CaseName());

TEST(Text, QuotedStrDoublesEveryQuote) { EXPECT_EQ(rtl::QuotedStr("O'Neil'"), "'O''Neil'''"); }

TEST(Text, UpperCaseChangesOnlyAsciiLetters) {
  EXPECT_EQ(rtl::UpperCase("abz AZ09_{}[]`@中文\xE9"), "ABZ AZ09_{}[]`@中文\xE9");
}

TEST(Text, IntToStrWritesTheSmallestInt64) {
  EXPECT_EQ(rtl::IntToStr(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(SameText, IgnoresTheCaseOfAsciiLetters) { EXPECT_TRUE(rtl::SameText("btnOK", "BTNok")); }

TEST(SameText, APrefixIsNotTheSameText) { EXPECT_FALSE(rtl::SameText("abc", "abcd")); }

TEST(SameText, PunctuationDifferingByTheCaseBitDiffers) { EXPECT_FALSE(rtl::SameText("[", "{")); }

TEST(SameText, GbkBytesCompareExactly) { EXPECT_FALSE(rtl::SameText("\xD6\xD0", "\xD6\xF0")); }

TEST(StrToInt, TakesAPlusSign) { EXPECT_EQ(rtl::StrToInt("+3"), 3); }

TEST(StrToInt, TakesTheSmallestInt32) {
  EXPECT_EQ(rtl::StrToInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(StrToInt, ErrorNamesTheText) {
  try {
    rtl::StrToInt("12a");
    ADD_FAILURE() << "expected EConvertError";
  } catch (const rtl::EConvertError& e) {
    EXPECT_EQ(e.Message(), "'12a' is not a valid integer value");
  }
}

struct NotIntegerCase {
  std::string name, text;
};

void PrintTo(const NotIntegerCase& c, std::ostream* os) { *os << c.name; }

class NotInteger : public ::testing::TestWithParam<NotIntegerCase> {};

TEST_P(NotInteger, StrToIntRaises) { EXPECT_THROW(rtl::StrToInt(GetParam().text), rtl::EConvertError); }

INSTANTIATE_TEST_SUITE_P(Texts, NotInteger,
                         ::testing::Values(NotIntegerCase{"Empty", ""}, NotIntegerCase{"SignOnly", "+"},
                                           NotIntegerCase{"PlusMinus", "+-1"}, NotIntegerCase{"MinusPlus", "-+1"},
                                           NotIntegerCase{"TrailingBlank", "1 "}, NotIntegerCase{"Fraction", "1.0"},
                                           NotIntegerCase{"Hexadecimal", "0x10"},
                                           NotIntegerCase{"AboveInt32", "2147483648"},
                                           NotIntegerCase{"FullWidthDigit", "１"}),
                         CaseName());

// ---- GBK text ----------------------------------------------------------------

struct GbkTextCase {
  std::string name, gbk;
  std::u16string wide;
};

void PrintTo(const GbkTextCase& c, std::ostream* os) { *os << c.name; }

class GbkText : public ::testing::TestWithParam<GbkTextCase> {};

TEST_P(GbkText, DecodesStrictly) { EXPECT_EQ(rtl::GbkToWide(GetParam().gbk), GetParam().wide); }

TEST_P(GbkText, EncodesStrictly) { EXPECT_EQ(rtl::WideToGbk(GetParam().wide), GetParam().gbk); }

TEST_P(GbkText, RoundTripsThroughUtf8) { EXPECT_EQ(rtl::Utf8ToGbk(rtl::GbkToUtf8(GetParam().gbk)), GetParam().gbk); }

INSTANTIATE_TEST_SUITE_P(
    Texts, GbkText,
    ::testing::Values(GbkTextCase{"EmbeddedNul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
                      GbkTextCase{"FullWidthLetterAndIdeographicSpace", "\xA3\xC1\xA1\xA1", u"Ａ\u3000"},
                      // A trail byte that is '\' in ASCII.
                      GbkTextCase{"BackslashTrail", "\x81\x40\x81\x5C", u"\u4E02\u4E57"},
                      GbkTextCase{"UserDefinedBetweenChinese", "中\xAA\xA1中", u"中\uE000中"}),
    CaseName());

TEST(Gbk, ChineseBecomesUtf8) { EXPECT_EQ(rtl::GbkToUtf8("中"), Utf8(u8"中")); }

// Single codes with their characters, held apart from any converter: the
// strict conversions and the table that measures and displays text must
// both give them, whatever the build machine's converter says.
struct GbkCodeCase {
  std::string name, gbk;
  char16_t unit;
};
void PrintTo(const GbkCodeCase& c, std::ostream* os) { *os << c.name; }

class GbkCode : public ::testing::TestWithParam<GbkCodeCase> {};

TEST_P(GbkCode, StrictConversionDecodesIt) {
  EXPECT_EQ(rtl::GbkToWide(GetParam().gbk), std::u16string(1, GetParam().unit));
}

TEST_P(GbkCode, StrictConversionEncodesIt) {
  EXPECT_EQ(rtl::WideToGbk(std::u16string(1, GetParam().unit)), GetParam().gbk);
}

TEST_P(GbkCode, TableDecodesIt) {
  const rtl::gbktable::Decoded decoded = rtl::gbktable::DecodeAt(GetParam().gbk, 0);
  EXPECT_EQ(decoded.length, GetParam().gbk.size());
  EXPECT_EQ(static_cast<unsigned>(decoded.unit), static_cast<unsigned>(GetParam().unit));
}

TEST_P(GbkCode, TableEncodesIt) {
  const std::string& gbk = GetParam().gbk;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(gbk[i])); };
  const unsigned code = gbk.size() == 1 ? byte(0) : byte(0) << 8 | byte(1);
  EXPECT_EQ(rtl::gbktable::EncodeUnit(GetParam().unit), code);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, GbkCode,
    ::testing::Values(
        GbkCodeCase{"EuroSign80", "\x80", u'\u20AC'}, GbkCodeCase{"First8140", "\x81\x40", u'\u4E02'},
        GbkCodeCase{"IdeographicSpaceA1A1", "\xA1\xA1", u'\u3000'},
        GbkCodeCase{"FullWidthLetterA3C1", "\xA3\xC1", u'\uFF21'}, GbkCodeCase{"ZhongD6D0", "\xD6\xD0", u'\u4E2D'},
        GbkCodeCase{"LastBeforeTheUpperUserRowsFE4F", "\xFE\x4F", u'\uFA29'},
        // The user-defined areas, in code order, to the private-use characters.
        GbkCodeCase{"UserDefinedAAA1", "\xAA\xA1", u'\uE000'}, GbkCodeCase{"UserDefinedABA1", "\xAB\xA1", u'\uE05E'},
        GbkCodeCase{"UserDefinedAFFE", "\xAF\xFE", u'\uE233'}, GbkCodeCase{"UserDefinedF8A1", "\xF8\xA1", u'\uE234'},
        GbkCodeCase{"UserDefinedFEFE", "\xFE\xFE", u'\uE4C5'}, GbkCodeCase{"UserDefinedA140", "\xA1\x40", u'\uE4C6'},
        GbkCodeCase{"UserDefinedA17E", "\xA1\x7E", u'\uE504'}, GbkCodeCase{"UserDefinedA180", "\xA1\x80", u'\uE505'},
        GbkCodeCase{"UserDefinedA7A0", "\xA7\xA0", u'\uE765'}),
    CaseName());

// The generated table as a whole: 21,791 codes of GBK's characters and the
// 1,894 of the user-defined areas; of the 23,940 double-byte codes with a
// valid trail byte only the 255 that GBK leaves unassigned have no character.
TEST(GbkTable, DecodesTheKnownNumberOfDoubleByteCodes) {
  std::size_t mapped = 0;
  std::size_t privateUse = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
      const rtl::gbktable::Decoded decoded = rtl::gbktable::DecodeAt(code, 0);
      if (decoded.length == 0) continue;
      ++mapped;
      if (decoded.unit >= 0xE000 && decoded.unit <= 0xF8FF) ++privateUse;
    }
  }
  EXPECT_EQ(mapped, 23685u);
  EXPECT_EQ(privateUse, 1894u);
}

TEST(GbkTable, UserDefinedAreasTakeThePrivateUseCharactersInCodeOrder) {
  struct Area {
    unsigned firstLead, lastLead, firstTrail, lastTrail;
  };
  char16_t next = 0xE000;
  for (const Area& area : {Area{0xAA, 0xAF, 0xA1, 0xFE}, Area{0xF8, 0xFE, 0xA1, 0xFE}, Area{0xA1, 0xA7, 0x40, 0xA0}}) {
    for (unsigned lead = area.firstLead; lead <= area.lastLead; ++lead) {
      for (unsigned trail = area.firstTrail; trail <= area.lastTrail; ++trail) {
        if (trail == 0x7F) continue;
        const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
        ASSERT_EQ(static_cast<unsigned>(rtl::gbktable::DecodeAt(code, 0).unit), static_cast<unsigned>(next++))
            << std::hex << lead << trail;
      }
    }
  }
  EXPECT_EQ(static_cast<unsigned>(next), 0xE766u);
}

TEST(GbkTable, EncodesEveryCharacterItDecodesBackToItsCode) {
  std::size_t encodable = 0;
  for (unsigned unit = 0x80; unit <= 0xFFFF; ++unit) {
    const std::uint16_t code = rtl::gbktable::EncodeUnit(static_cast<char16_t>(unit));
    if (code == 0) continue;
    ++encodable;
    std::string gbk(1, static_cast<char>(code & 0xFF));
    if (code >= 0x100) gbk.insert(gbk.begin(), static_cast<char>(code >> 8));
    const rtl::gbktable::Decoded decoded = rtl::gbktable::DecodeAt(gbk, 0);
    ASSERT_EQ(decoded.length, gbk.size()) << std::hex << unit;
    ASSERT_EQ(static_cast<unsigned>(decoded.unit), unit);
  }
  EXPECT_EQ(encodable, 23686u);  // the double-byte codes and the euro sign
}

// Strict decoding raises at the first bad byte; display decoding shows it as
// U+FFFD and never swallows the byte after it.
struct MalformedGbkCase {
  std::string name, gbk;
  std::size_t at;
  std::u8string shown;
};
void PrintTo(const MalformedGbkCase& c, std::ostream* os) { *os << c.name; }

class MalformedGbk : public ::testing::TestWithParam<MalformedGbkCase> {};

TEST_P(MalformedGbk, StrictDecodingRaisesAtTheFirstBadByte) {
  try {
    rtl::GbkToWide(GetParam().gbk);
    ADD_FAILURE() << "expected EConvertError";
  } catch (const rtl::EConvertError& e) {
    EXPECT_EQ(e.Message(), "Invalid GBK byte sequence at byte " + std::to_string(GetParam().at));
  }
}

TEST_P(MalformedGbk, DisplayShowsEachBadByteAsReplacement) {
  EXPECT_EQ(rtl::GbkToUtf8Display(GetParam().gbk), Utf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Texts, MalformedGbk,
                         ::testing::Values(MalformedGbkCase{"LeadAtTheEnd", "ab\x81", 2, u8"ab\uFFFD"},
                                           MalformedGbkCase{"LeadBeforeQuote", "\x81'; drop", 0, u8"\uFFFD'; drop"},
                                           MalformedGbkCase{"LeadBeforeDelete", "x\x81\x7F", 1, u8"x\uFFFD\x7F"},
                                           MalformedGbkCase{"LeadBeforeFF", "\x81\xFF", 0, u8"\uFFFD\uFFFD"},
                                           MalformedGbkCase{"SingleFF", "a\xFF中", 1, u8"a\uFFFD中"},
                                           MalformedGbkCase{"LeadBeforeBlank", "\x81 \x81\x40", 0, u8"\uFFFD \u4E02"},
                                           MalformedGbkCase{"UserDefinedRowBeforeDelete", "\xA1\x7F", 0,
                                                            u8"\uFFFD\x7F"},
                                           // Codes GBK leaves unassigned, which the Windows code
                                           // page maps to private-use characters of its own.
                                           MalformedGbkCase{"UnassignedD7FA", "中\xD7\xFA", 2, u8"中\uFFFD\uFFFD"},
                                           MalformedGbkCase{"UnassignedA2AB", "a\xA2\xAB", 1, u8"a\uFFFD\uFFFD"},
                                           MalformedGbkCase{"UnassignedFE50", "\xFE\x50", 0, u8"\uFFFDP"}),
                         CaseName());

TEST(Gbk, CharLengthOfABadLeadIsZero) { EXPECT_EQ(rtl::GbkCharLength("\x81'", 0), 0u); }

TEST(Gbk, CharLengthAfterABadLeadCountsTheNextByteAlone) { EXPECT_EQ(rtl::GbkCharLength("\x81'", 1), 1u); }

struct GbkMeasureCase {
  std::string name, gbk;
  std::size_t last, width;
};

void PrintTo(const GbkMeasureCase& c, std::ostream* os) { *os << c.name; }

class GbkMeasure : public ::testing::TestWithParam<GbkMeasureCase> {};

TEST_P(GbkMeasure, LastCharacterLength) { EXPECT_EQ(rtl::GbkLastCharLength(GetParam().gbk), GetParam().last); }

TEST_P(GbkMeasure, ColumnsOnATerminal) { EXPECT_EQ(rtl::GbkDisplayWidth(GetParam().gbk), GetParam().width); }

INSTANTIATE_TEST_SUITE_P(Texts, GbkMeasure,
                         ::testing::Values(GbkMeasureCase{"Empty", "", 0, 0},
                                           GbkMeasureCase{"AsciiThenChinese", "a中", 2, 3},
                                           GbkMeasureCase{"ChineseThenLeadAtTheEnd", "中\x81", 1, 3},
                                           GbkMeasureCase{"BadLeadThenQuote", "\x81'", 1, 2},
                                           GbkMeasureCase{"ChineseThenLeadAlone", "\xD6\xD0\xD0", 1, 3},
                                           GbkMeasureCase{"EuroSign", "\x80", 1, 1},
                                           GbkMeasureCase{"UserDefined", "a\xFE\xFE", 2, 3}),
                         CaseName());

struct NoGbkCodeCase {
  std::string name;
  std::u16string wide;
};

void PrintTo(const NoGbkCodeCase& c, std::ostream* os) { *os << c.name; }

class NoGbkCode : public ::testing::TestWithParam<NoGbkCodeCase> {};

TEST_P(NoGbkCode, EncodingRaises) { EXPECT_THROW(rtl::WideToGbk(GetParam().wide), rtl::EConvertError); }

INSTANTIATE_TEST_SUITE_P(Texts, NoGbkCode,
                         ::testing::Values(NoGbkCodeCase{"Emoji", u"\U0001F600"},
                                           NoGbkCodeCase{"ReplacementCharacter", u"\uFFFD"},
                                           NoGbkCodeCase{"LoneSurrogate", std::u16string(1, u'\xD800')},
                                           NoGbkCodeCase{"C1Control", u"\u0080"},
                                           // Private-use characters outside the user-defined areas,
                                           // among them those the Windows code page gives codes.
                                           NoGbkCodeCase{"PrivateUseAfterTheUserDefinedAreas", u"\uE766"},
                                           NoGbkCodeCase{"PrivateUseOfUnassignedD7FA", u"\uE810"},
                                           NoGbkCodeCase{"PrivateUseOfByteFF", u"\uF8F5"},
                                           NoGbkCodeCase{"LastPrivateUse", u"\uF8FF"}),
                         CaseName());

TEST(Gbk, Utf8TextWithAnEmojiRaises) {
  const std::string emoji = Utf8(u8"😀");  // not in a macro argument: GBK cannot spell it
  EXPECT_THROW(rtl::Utf8ToGbk(emoji), rtl::EConvertError);
}

TEST(Gbk, EncodingErrorNamesTheCharacterWithItsPosition) {
  try {
    rtl::WideToGbk(u"中\u00A0");
    ADD_FAILURE() << "expected EConvertError";
  } catch (const rtl::EConvertError& e) {
    EXPECT_EQ(e.Message(), "Character U+00A0 at position 1 has no GBK code");
  }
}

// ---- UTF-8 ---------------------------------------------------------------------

constexpr std::u8string_view kEveryPlaneUtf8 = u8"\u00E9中\uFFFF😀\U0010FFFF";
constexpr std::u16string_view kEveryPlaneWide = u"\u00E9中\uFFFF\U0001F600\U0010FFFF";

TEST(Unicode, Utf8DecodesUpToTheLastPlane) {
  EXPECT_EQ(rtl::Utf8ToWide(Utf8(kEveryPlaneUtf8)), std::u16string(kEveryPlaneWide));
}

TEST(Unicode, Utf16EncodesUpToTheLastPlane) { EXPECT_EQ(rtl::WideToUtf8(kEveryPlaneWide), Utf8(kEveryPlaneUtf8)); }

struct MalformedUtf8Case {
  std::string name, utf8;
};

void PrintTo(const MalformedUtf8Case& c, std::ostream* os) { *os << c.name; }

class MalformedUtf8 : public ::testing::TestWithParam<MalformedUtf8Case> {};

TEST_P(MalformedUtf8, DecodingRaises) { EXPECT_THROW(rtl::Utf8ToWide(GetParam().utf8), rtl::EConvertError); }

INSTANTIATE_TEST_SUITE_P(Texts, MalformedUtf8,
                         ::testing::Values(MalformedUtf8Case{"OverlongTwoBytes", "\xC0\xAF"},
                                           MalformedUtf8Case{"OverlongFourBytes", "\xF0\x80\x80\xAF"},
                                           MalformedUtf8Case{"Surrogate", "\xED\xA0\x80"},
                                           MalformedUtf8Case{"BeyondTheLastPlane", "\xF4\x90\x80\x80"},
                                           MalformedUtf8Case{"CutShort", "a\xE4\xB8"},
                                           MalformedUtf8Case{"LoneContinuation", "\x80"},
                                           MalformedUtf8Case{"QuoteInsideASequence", "\xE4'\x80"}),
                         CaseName());

struct MalformedUtf16Case {
  std::string name;
  std::u16string wide;
};

void PrintTo(const MalformedUtf16Case& c, std::ostream* os) { *os << c.name; }

class MalformedUtf16 : public ::testing::TestWithParam<MalformedUtf16Case> {};

TEST_P(MalformedUtf16, EncodingAsUtf8Raises) { EXPECT_THROW(rtl::WideToUtf8(GetParam().wide), rtl::EConvertError); }

INSTANTIATE_TEST_SUITE_P(Texts, MalformedUtf16,
                         ::testing::Values(MalformedUtf16Case{"LoneHighSurrogate", std::u16string(1, u'\xD83D')},
                                           MalformedUtf16Case{"LowBeforeHigh", std::u16string(u"a\xDE00\xD83D")}),
                         CaseName());

}  // namespace
