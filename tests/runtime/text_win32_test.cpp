// Code page 936 of the platform against the table generated on the build
// machine: the strict conversions (the platform's converter here) and the
// table that measures and displays text must answer the same for every
// code, and the platform's own answers, unfiltered, differ from the table
// only where the platform gives GBK's unassigned codes private-use
// characters of its own.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/text/CodePage936.h"
#include "runtime/text/GbkTable.h"

namespace {

constexpr UINT kCodePage = 936;

std::string Hex(const std::string& bytes) {
  std::string text;
  for (unsigned char b : bytes) text += "0123456789ABCDEF"[b >> 4], text += "0123456789ABCDEF"[b & 15];
  return text;
}

// Every single byte, and every pair with a lead byte.
std::vector<std::string> EveryCode() {
  std::vector<std::string> codes;
  for (unsigned byte = 0; byte <= 0xFF; ++byte) codes.emplace_back(1, static_cast<char>(byte));
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0; trail <= 0xFF; ++trail)
      codes.push_back({static_cast<char>(lead), static_cast<char>(trail)});
  }
  return codes;
}

// The table's answer for a whole code: its character, or none.
std::optional<unsigned> TableDecode(const std::string& code) {
  const rtl::gbktable::Decoded decoded = rtl::gbktable::DecodeAt(code, 0);
  if (decoded.length != code.size()) return std::nullopt;
  return static_cast<unsigned>(decoded.unit);
}

// The platform's answer, strict but unfiltered: one character, or none.
std::optional<unsigned> PlatformDecode(const std::string& code) {
  wchar_t out[4] = {};
  const int length =
      MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, code.data(), static_cast<int>(code.size()), out, 4);
  if (length != 1) return std::nullopt;
  return static_cast<unsigned>(out[0]);
}

std::optional<std::string> PlatformEncode(char16_t unit) {
  const wchar_t wide = static_cast<wchar_t>(unit);
  char out[4] = {};
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &wide, 1, out, 4, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return std::nullopt;
  return std::string(out, static_cast<std::size_t>(length));
}

std::string TableCode(std::uint16_t code) {
  std::string gbk(1, static_cast<char>(code & 0xFF));
  if (code >= 0x100) gbk.insert(gbk.begin(), static_cast<char>(code >> 8));
  return gbk;
}

bool IsPrivateUseBeyondTheUserDefinedAreas(unsigned unit) { return unit >= 0xE766 && unit <= 0xF8FF; }

TEST(CodePage936Platform, StrictDecodingAnswersAsTheTableForEveryCode) {
  for (const std::string& code : EveryCode()) {
    std::u16string wide;
    const bool converted = !rtl::cp936::Decode(code, wide).has_value();
    const std::optional<unsigned> table = TableDecode(code);
    ASSERT_EQ(converted, table.has_value()) << Hex(code);
    if (converted) {
      ASSERT_EQ(wide, std::u16string(1, static_cast<char16_t>(*table))) << Hex(code);
    }
  }
}

TEST(CodePage936Platform, StrictEncodingAnswersAsTheTableForEveryCharacter) {
  for (unsigned unit = 1; unit <= 0xFFFF; ++unit) {
    std::string gbk;
    const bool converted = !rtl::cp936::Encode(std::u16string(1, static_cast<char16_t>(unit)), gbk).has_value();
    const std::uint16_t table = rtl::gbktable::EncodeUnit(static_cast<char16_t>(unit));
    ASSERT_EQ(converted, table != 0) << "U+" << std::hex << unit;
    if (converted) {
      ASSERT_EQ(Hex(gbk), Hex(TableCode(table))) << "U+" << std::hex << unit;
    }
  }
}

// The platform's converter itself, as an oracle for the generated table: a
// code the table maps has the same character there, and a code the table
// refuses is refused there or is a private-use character outside the
// user-defined areas.
TEST(CodePage936Platform, DecodesEveryCodeOfTheTableToTheSameCharacter) {
  std::size_t privateUseOnly = 0;
  for (const std::string& code : EveryCode()) {
    const std::optional<unsigned> platform = PlatformDecode(code);
    const std::optional<unsigned> table = TableDecode(code);
    if (table) {
      ASSERT_EQ(platform, table) << Hex(code);
    } else if (platform) {
      ASSERT_TRUE(IsPrivateUseBeyondTheUserDefinedAreas(*platform)) << Hex(code) << " U+" << std::hex << *platform;
      ++privateUseOnly;
    }
  }
  EXPECT_GT(privateUseOnly, 0u) << "the platform gives GBK's unassigned codes none of its private-use characters";
}

TEST(CodePage936Platform, EncodesEveryCharacterOfTheTableToTheSameCode) {
  for (unsigned unit = 1; unit <= 0xFFFF; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;  // lone surrogates: the platform may substitute silently
    const std::optional<std::string> platform = PlatformEncode(static_cast<char16_t>(unit));
    const std::uint16_t table = rtl::gbktable::EncodeUnit(static_cast<char16_t>(unit));
    if (table != 0) {
      ASSERT_EQ(platform, TableCode(table)) << "U+" << std::hex << unit;
    } else if (platform) {
      ASSERT_TRUE(IsPrivateUseBeyondTheUserDefinedAreas(unit)) << "U+" << std::hex << unit;
    }
  }
}

}  // namespace
