// Text routines and the conversions between GBK, UTF-16 and UTF-8. Narrow
// literals here are GBK bytes ("中" is D6 D0).
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "rt_support.h"
#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"
#include "runtime/text/Text.h"
#include "runtime/text/Unicode.h"

namespace {

using rttest::Utf8;

TEST(Text, TrimRemovesOnlyBytesUpToSpace) {
  const struct {
    std::string in, out;
  } cases[] = {
      {" \t\r\n", ""},
      {std::string("\0\x01 a b\x1f ", 8), "a b"},
      {"\x7f" "a\x7f", "\x7f" "a\x7f"},
      {"\xA1\xA1中\xA1\xA1", "\xA1\xA1中\xA1\xA1"},  // full-width blanks are text
      {"\xA0x\xA0", "\xA0x\xA0"},
  };
  for (const auto& c : cases) EXPECT_EQ(rtl::Trim(c.in), c.out) << "input '" << c.in << "'";
}

TEST(Text, QuotingUpperCaseAndIntToStr) {
  EXPECT_EQ(rtl::QuotedStr(""), "''");
  EXPECT_EQ(rtl::QuotedStr("O'Neil'"), "'O''Neil'''");
  EXPECT_EQ(rtl::UpperCase("abz AZ09_{}[]`@中文\xE9"), "ABZ AZ09_{}[]`@中文\xE9");
  EXPECT_EQ(rtl::IntToStr(-5), "-5");
  EXPECT_EQ(rtl::IntToStr(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(Text, StrToIntTakesOneOptionalSignAndDecimalDigits) {
  EXPECT_EQ(rtl::StrToInt("+3"), 3);
  EXPECT_EQ(rtl::StrToInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
  for (const char* bad : {"", "+", "-", "+-1", "-+1", "1 ", "1.0", "0x10", "2147483648", "１"}) {
    EXPECT_THROW(rtl::StrToInt(bad), rtl::EConvertError) << "'" << bad << "'";
  }
  try {
    rtl::StrToInt("12a");
    FAIL() << "expected EConvertError";
  } catch (const rtl::EConvertError& e) {
    EXPECT_EQ(e.Message(), "'12a' is not a valid integer value");
  }
}

TEST(Text, SameTextIgnoresAsciiCaseOnly) {
  EXPECT_TRUE(rtl::SameText("btnOK", "BTNok"));
  EXPECT_FALSE(rtl::SameText("abc", "abcd"));
  EXPECT_FALSE(rtl::SameText("[", "{"));  // 0x5B and 0x7B differ by the case bit only
  EXPECT_FALSE(rtl::SameText("\xD6\xD0", "\xD6\xF0"));
}

TEST(Gbk, RoundTrips) {
  const struct {
    std::string gbk;
    std::u16string wide;
  } cases[] = {
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"修改密码", u"修改密码"},
      {"\xA3\xC1\xA3\xB1", u"Ａ１"},  // full-width forms
      {"\xA1\xA1", u"\u3000"},        // ideographic space
      {"\x80", u"\u20AC"},            // the euro sign is the single byte 0x80
      {"\x81\x40", u"\u4E02"},        // first double-byte code
      {"\x81\x5C", u"\u4E57"},        // a trail byte that is a backslash in ASCII
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rtl::GbkToWide(c.gbk), c.wide) << c.gbk;
    EXPECT_EQ(rtl::WideToGbk(c.wide), c.gbk) << c.gbk;
    EXPECT_EQ(rtl::Utf8ToGbk(rtl::GbkToUtf8(c.gbk)), c.gbk) << c.gbk;
  }
  EXPECT_EQ(rtl::GbkToUtf8("中"), Utf8(u8"中"));
}

TEST(Gbk, StrictDecodingRaisesOnMalformedBytes) {
  const struct {
    const char* what;
    std::string gbk;
    std::size_t at;
  } cases[] = {
      {"lone lead byte at the end", "ab\x81", 2},
      {"lead byte before a quote", "\x81'", 0},
      {"lead byte before DEL", "x\x81\x7F", 1},
      {"trail byte 0xFF", "\x81\xFF", 0},
      {"byte 0xFF", "a\xFF" "a", 1},
      {"unmapped pair", "中\xD7\xFA", 2},
  };
  for (const auto& c : cases) {
    try {
      rtl::GbkToWide(c.gbk);
      ADD_FAILURE() << c.what << ": expected EConvertError";
    } catch (const rtl::EConvertError& e) {
      EXPECT_EQ(e.Message(), "Invalid GBK byte sequence at byte " + std::to_string(c.at)) << c.what;
    }
  }
}

TEST(Gbk, MalformedLeadByteNeverSwallowsTheNextByte) {
  EXPECT_EQ(rtl::GbkCharLength("\x81'", 0), 0u);
  EXPECT_EQ(rtl::GbkCharLength("\x81'", 1), 1u);
  const struct {
    std::string gbk;
    std::u8string shown;
  } cases[] = {
      {"\x81'; drop", u8"\uFFFD'; drop"},
      {"\x81\x7F", u8"\uFFFD\x7F"},
      {"\xFF中", u8"\uFFFD中"},
      {"\xD7\xFA", u8"\uFFFD\uFFFD"},
      {"\x81 \x81\x40", u8"\uFFFD \u4E02"},
  };
  for (const auto& c : cases) EXPECT_EQ(rtl::GbkToUtf8Display(c.gbk), Utf8(c.shown)) << c.gbk;
}

TEST(Gbk, LastCharLengthAndDisplayWidth) {
  const struct {
    std::string gbk;
    std::size_t last, width;
  } cases[] = {
      {"", 0, 0},         {"a中", 2, 3},     {"中a", 1, 3},   {"中\x81", 1, 3},
      {"\x81'", 1, 2},    {"\xD6\xD0\xD0", 1, 3}, {"\x80", 1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rtl::GbkLastCharLength(c.gbk), c.last) << "'" << c.gbk << "'";
    EXPECT_EQ(rtl::GbkDisplayWidth(c.gbk), c.width) << "'" << c.gbk << "'";
  }
}

TEST(Gbk, EncodingRaisesForCharactersGbkLacks) {
  for (const std::u16string& wide : {std::u16string(u"\U0001F600"), std::u16string(u"\uFFFD"),
                                     std::u16string(1, u'\xD800'), std::u16string(u"\u0080")}) {
    EXPECT_THROW(rtl::WideToGbk(wide), rtl::EConvertError);
  }
  try {
    rtl::WideToGbk(u"中\u00A0");
    FAIL() << "expected EConvertError";
  } catch (const rtl::EConvertError& e) {
    EXPECT_EQ(e.Message(), "Character U+00A0 at position 1 has no GBK code");
  }
}

TEST(Unicode, Utf8RoundTrips) {
  const struct {
    std::u8string utf8;
    std::u16string wide;
  } cases[] = {
      {u8"\u00E9中", u"\u00E9中"}, {u8"\uFFFF", u"\uFFFF"}, {u8"😀", u"\U0001F600"}, {u8"\U0010FFFF", u"\U0010FFFF"}};
  for (const auto& c : cases) {
    EXPECT_EQ(rtl::Utf8ToWide(Utf8(c.utf8)), c.wide);
    EXPECT_EQ(rtl::WideToUtf8(c.wide), Utf8(c.utf8));
  }
}

TEST(Unicode, MalformedInputRaises) {
  const struct {
    const char* what;
    std::string utf8;
  } cases[] = {
      {"overlong slash", "\xC0\xAF"},
      {"overlong in three bytes", "\xE0\x80\xAF"},
      {"overlong in four bytes", "\xF0\x80\x80\xAF"},
      {"encoded surrogate", "\xED\xA0\x80"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80"},
      {"truncated sequence", "a\xE4\xB8"},
      {"lone continuation byte", "\x80"},
      {"continuation replaced by ASCII", "\xE4'\x80"},
      {"five-byte form", "\xF8\x88\x80\x80\x80"},
  };
  for (const auto& c : cases) EXPECT_THROW(rtl::Utf8ToWide(c.utf8), rtl::EConvertError) << c.what;
  for (const std::u16string& wide : {std::u16string(1, u'\xD83D'), std::u16string(u"\xD83D" u"a"),
                                     std::u16string(u"a\xDE00\xD83D")}) {
    EXPECT_THROW(rtl::WideToUtf8(wide), rtl::EConvertError);
  }
  const std::string emoji = Utf8(u8"😀");
  EXPECT_THROW(rtl::Utf8ToGbk(emoji), rtl::EConvertError);
}

}  // namespace
