// Text routines and the conversions between GBK, UTF-16 and UTF-8. Narrow
// literals here are GBK bytes ("中" is D6 D0).
#include "runtime/text/Text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "runtime/except/Exceptions.h"
#include "runtime/text/CodePage936.h"
#include "runtime/text/Gbk.h"
#include "runtime/text/GbkTable.h"
#include "runtime/text/Unicode.h"
#include "tests/support/Expectations.h"

namespace {

using velmora::test::Utf8;

TEST(Text, TrimQuoteUpperCaseAndSameTextLeaveNonAsciiBytesAlone) {
  const struct {
    std::string in, out;
  } trims[] = {
      {" \t\r\n", ""},
      {std::string("\0\x01 a b\x1f ", 8), "a b"},
      {"\x7f"
       "a\x7f",
       "\x7f"
       "a\x7f"},
      {"\xA1\xA1中\xA1\xA1", "\xA1\xA1中\xA1\xA1"},  // full-width blanks are text
  };
  for (const auto& c : trims) EXPECT_EQ(rtl::Trim(c.in), c.out) << "input '" << c.in << "'";
  EXPECT_EQ(rtl::QuotedStr("O'Neil'"), "'O''Neil'''");
  EXPECT_EQ(rtl::UpperCase("abz AZ09_{}[]`@中文\xE9"), "ABZ AZ09_{}[]`@中文\xE9");
  EXPECT_EQ(rtl::IntToStr(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_TRUE(rtl::SameText("btnOK", "BTNok"));
  EXPECT_FALSE(rtl::SameText("abc", "abcd"));
  EXPECT_FALSE(rtl::SameText("[", "{"));  // they differ by the case bit only
  EXPECT_FALSE(rtl::SameText("\xD6\xD0", "\xD6\xF0"));
}

TEST(Text, StrToIntTakesOneOptionalSignAndDecimalDigits) {
  EXPECT_EQ(rtl::StrToInt("+3"), 3);
  EXPECT_EQ(rtl::StrToInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
  for (const char* bad : {"", "+", "+-1", "-+1", "1 ", "1.0", "0x10", "2147483648", "１"}) {
    EXPECT_THROW(rtl::StrToInt(bad), rtl::EConvertError) << "'" << bad << "'";
  }
  try {
    rtl::StrToInt("12a");
    ADD_FAILURE() << "expected EConvertError";
  } catch (const rtl::EConvertError& e) {
    EXPECT_EQ(e.Message(), "'12a' is not a valid integer value");
  }
}

TEST(Gbk, RoundTrips) {
  const struct {
    std::string gbk;
    std::u16string wide;
  } cases[] = {
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"\xA3\xC1\xA1\xA1", u"Ａ\u3000"},      // full-width A, ideographic space
      {"\x80", u"\u20AC"},                    // the euro sign is the single byte 0x80
      {"\x81\x40\x81\x5C", u"\u4E02\u4E57"},  // first code; a trail byte that is '\' in ASCII
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rtl::GbkToWide(c.gbk), c.wide) << c.gbk;
    EXPECT_EQ(rtl::WideToGbk(c.wide), c.gbk) << c.gbk;
    EXPECT_EQ(rtl::Utf8ToGbk(rtl::GbkToUtf8(c.gbk)), c.gbk) << c.gbk;
  }
  EXPECT_EQ(rtl::GbkToUtf8("中"), Utf8(u8"中"));
}

// Strict decoding raises at the first bad byte; display decoding shows it as
// U+FFFD and never swallows the byte after it.
TEST(Gbk, MalformedBytesRaiseOrShowAsReplacementWithoutSwallowingTheNextByte) {
  const struct {
    std::string gbk;
    std::size_t at;
    std::u8string shown;
  } cases[] = {
      {"ab\x81", 2, u8"ab\uFFFD"},
      {"\x81'; drop", 0, u8"\uFFFD'; drop"},
      {"x\x81\x7F", 1, u8"x\uFFFD\x7F"},
      {"\x81\xFF", 0, u8"\uFFFD\uFFFD"},
      {"a\xFF中", 1, u8"a\uFFFD中"},
      {"中\xD7\xFA", 2, u8"中\uFFFD\uFFFD"},  // unmapped pair
      {"\x81 \x81\x40", 0, u8"\uFFFD \u4E02"},
      {"a\xAA\xA1", 1, u8"a\uFFFD\uFFFD"},  // user-defined areas map to nothing
      {"\xA1\x40", 0, u8"\uFFFD@"},
  };
  for (const auto& c : cases) {
    try {
      rtl::GbkToWide(c.gbk);
      ADD_FAILURE() << c.gbk << ": expected EConvertError";
    } catch (const rtl::EConvertError& e) {
      EXPECT_EQ(e.Message(), "Invalid GBK byte sequence at byte " + std::to_string(c.at)) << c.gbk;
    }
    EXPECT_EQ(rtl::GbkToUtf8Display(c.gbk), Utf8(c.shown)) << c.gbk;
  }
  EXPECT_EQ(rtl::GbkCharLength("\x81'", 0), 0u);
  EXPECT_EQ(rtl::GbkCharLength("\x81'", 1), 1u);
}

TEST(Gbk, LastCharLengthAndDisplayWidth) {
  const struct {
    std::string gbk;
    std::size_t last, width;
  } cases[] = {{"", 0, 0}, {"a中", 2, 3}, {"中\x81", 1, 3}, {"\x81'", 1, 2}, {"\xD6\xD0\xD0", 1, 3}, {"\x80", 1, 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(rtl::GbkLastCharLength(c.gbk), c.last) << "'" << c.gbk << "'";
    EXPECT_EQ(rtl::GbkDisplayWidth(c.gbk), c.width) << "'" << c.gbk << "'";
  }
}

TEST(Gbk, EncodingRaisesForCharactersGbkLacks) {
  for (const std::u16string& wide :
       {std::u16string(u"\U0001F600"), std::u16string(u"\uFFFD"), std::u16string(1, u'\xD800'),
        std::u16string(u"\u0080"), std::u16string(u"\uE000"), std::u16string(u"\uF8FF")}) {
    EXPECT_THROW(rtl::WideToGbk(wide), rtl::EConvertError);
  }
  const std::string emoji = Utf8(u8"😀");  // not in a macro argument: GBK cannot spell it
  EXPECT_THROW(rtl::Utf8ToGbk(emoji), rtl::EConvertError);
  try {
    rtl::WideToGbk(u"中\u00A0");
    ADD_FAILURE() << "expected EConvertError";
  } catch (const rtl::EConvertError& e) {
    EXPECT_EQ(e.Message(), "Character U+00A0 at position 1 has no GBK code");
  }
}

std::string Hex(const std::string& bytes) {
  std::string text;
  for (const char byte : bytes) {
    const auto b = static_cast<unsigned char>(byte);
    text += "0123456789ABCDEF"[b >> 4], text += "0123456789ABCDEF"[b & 15];
  }
  return text;
}

// The strict conversions (the platform's converter on Windows) and the
// generated table that measures and displays text accept exactly the same
// codes and agree on every character, both ways.
TEST(Gbk, StrictConversionsAndTheTableAgreeOnEveryCode) {
  std::vector<bool> decodable(0x10000, false);
  for (unsigned c = 0; c < 0x80; ++c) decodable[c] = true;
  std::vector<std::string> codes = {"\x80", "\xFF"};
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0; trail <= 0xFF; ++trail)
      codes.push_back({static_cast<char>(lead), static_cast<char>(trail)});
  }
  std::size_t mapped = 0;
  for (const std::string& code : codes) {
    const rtl::gbktable::Decoded table = rtl::gbktable::DecodeAt(code, 0);
    std::u16string wide;
    const bool converted = !rtl::cp936::Decode(code, wide).has_value();
    ASSERT_EQ(converted, table.length == code.size()) << Hex(code);
    if (!converted) continue;
    ASSERT_EQ(wide, std::u16string(1, table.unit)) << Hex(code);
    decodable[table.unit] = true;
    ++mapped;
  }
  EXPECT_GT(mapped, 21000u);
  for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
    const std::u16string wide(1, static_cast<char16_t>(unit));
    std::string gbk;
    const bool converted = !rtl::cp936::Encode(wide, gbk).has_value();
    ASSERT_EQ(converted, static_cast<bool>(decodable[unit])) << "U+" << std::hex << unit;
    if (!converted) continue;
    const std::uint16_t table = rtl::gbktable::EncodeUnit(static_cast<char16_t>(unit));
    std::string expected(1, static_cast<char>(table & 0xFF));
    if (table >= 0x100) expected.insert(expected.begin(), static_cast<char>(table >> 8));
    ASSERT_EQ(gbk, expected) << "U+" << std::hex << unit;
  }
}

TEST(Unicode, Utf8RoundTripsAndMalformedInputRaises) {
  const std::u8string utf8 = u8"\u00E9中\uFFFF😀\U0010FFFF";
  const std::u16string wide = u"\u00E9中\uFFFF\U0001F600\U0010FFFF";
  EXPECT_EQ(rtl::Utf8ToWide(Utf8(utf8)), wide);
  EXPECT_EQ(rtl::WideToUtf8(wide), Utf8(utf8));
  for (const char* bad : {"\xC0\xAF", "\xF0\x80\x80\xAF",      // overlong
                          "\xED\xA0\x80", "\xF4\x90\x80\x80",  // surrogate, beyond U+10FFFF
                          "a\xE4\xB8", "\x80", "\xE4'\x80"}) {
    EXPECT_THROW(rtl::Utf8ToWide(bad), rtl::EConvertError) << bad;
  }
  for (const std::u16string& bad : {std::u16string(1, u'\xD83D'), std::u16string(u"a\xDE00\xD83D")}) {
    EXPECT_THROW(rtl::WideToUtf8(bad), rtl::EConvertError);
  }
}

}  // namespace
