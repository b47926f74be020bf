// The digest unit against RFC 1321's test suite and against OpenSSL.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "automation/md5.h"

#include <gtest/gtest.h>
#include <openssl/md5.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace automation {
namespace {

rtl::AnsiString Hex(const std::uint8_t* bytes) {
  Digest16 digest;
  std::memcpy(digest.bytes, bytes, sizeof digest.bytes);
  return DigestHexText(digest);
}

rtl::AnsiString OpenSslHex(const void* data, std::size_t length) {
  unsigned char digest[MD5_DIGEST_LENGTH];
  MD5(static_cast<const unsigned char*>(data), length, digest);
  return Hex(digest);
}

std::vector<std::uint8_t> PseudoRandomBytes(std::size_t length, std::uint32_t seed) {
  std::mt19937 generator(seed);
  std::vector<std::uint8_t> data(length);
  for (auto& byte : data) byte = static_cast<std::uint8_t>(generator());
  return data;
}

struct RfcCase {
  const char* name;
  const char* text;
  const char* hex;
};

void PrintTo(const RfcCase& c, std::ostream* os) { *os << c.name; }

class Md5RfcTestSuite : public ::testing::TestWithParam<RfcCase> {};

TEST_P(Md5RfcTestSuite, DigestsToTheSuitesHex) {
  EXPECT_EQ(DigestHexText(DigestOfText(GetParam().text)), GetParam().hex);
}

INSTANTIATE_TEST_SUITE_P(
    Rfc1321, Md5RfcTestSuite,
    ::testing::Values(RfcCase{"Empty", "", "d41d8cd98f00b204e9800998ecf8427e"},
                      RfcCase{"A", "a", "0cc175b9c0f1b6a831c399e269772661"},
                      RfcCase{"Abc", "abc", "900150983cd24fb0d6963f7d28e17f72"},
                      RfcCase{"MessageDigest", "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
                      RfcCase{"Alphabet", "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
                      RfcCase{"LettersAndDigits", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                              "d174ab98d277d9f5a5611c2c9f419d9f"},
                      RfcCase{"EightyDigits",
                              "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
                              "57edf4a22be3c955ac49da2e2107b67a"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Md5, MatchesOpenSslForEveryLengthUpTo300) {
  std::mt19937 splitter(2024);
  for (std::size_t length = 0; length <= 300; ++length) {
    const auto data = PseudoRandomBytes(length, static_cast<std::uint32_t>(length));
    const auto expected = OpenSslHex(data.data(), length);
    EXPECT_EQ(DigestHexText(DigestOfText(rtl::AnsiString(data.begin(), data.end()))), expected) << "length " << length;

    // Pieces of 0..70 bytes, so empty pieces and pieces crossing blocks occur.
    DigestContext context;
    DigestInit(context);
    DigestUpdate(context, nullptr, 0);
    for (std::size_t offset = 0; offset < length;) {
      const auto piece = std::min<std::size_t>(splitter() % 71, length - offset);
      DigestUpdate(context, data.data() + offset, static_cast<std::uint32_t>(piece));
      offset += piece;
    }
    Digest16 digest;
    DigestFinal(context, digest);
    EXPECT_EQ(DigestHexText(digest), expected) << "in pieces, length " << length;
  }
}

TEST(Md5, InitSetsEveryFieldWhateverWasThere) {
  DigestContext context;
  std::memset(&context, 0xA5, sizeof context);
  DigestInit(context);
  const DigestContext initial{{0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u}, {0, 0}, {}};
  EXPECT_EQ(std::memcmp(&context, &initial, sizeof context), 0);
}

// Nothing of the password stays behind, not even the bytes still buffered.
TEST(Md5, FinalLeavesOnlyZeroBytes) {
  DigestContext context;
  DigestInit(context);
  const std::vector<std::uint8_t> data(100, 0x5A);  // leaves 36 non-zero bytes in the buffer
  DigestUpdate(context, data.data(), 100);
  Digest16 digest;
  DigestFinal(context, digest);
  EXPECT_EQ(DigestHexText(digest), OpenSslHex(data.data(), data.size()));
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&context);
  EXPECT_TRUE(std::all_of(bytes, bytes + sizeof context, [](std::uint8_t b) { return b == 0; }));
}

TEST(Md5, BitCountCarriesIntoHighWord) {
  // Both sides absorb 63 bytes, then jump their bit counts to just below
  // 2^32 at the same buffer position; the final length block must agree.
  const auto data = PseudoRandomBytes(63 + 10, 7);
  DigestContext context;
  DigestInit(context);
  DigestUpdate(context, data.data(), 63);
  MD5_CTX reference;
  MD5_Init(&reference);
  MD5_Update(&reference, data.data(), 63);
  context.count[0] = 0xFFFFFFF8u;
  reference.Nl = 0xFFFFFFF8u;

  DigestUpdate(context, data.data() + 63, 1);
  EXPECT_EQ(context.count[0], 0u);
  EXPECT_EQ(context.count[1], 1u);
  DigestUpdate(context, data.data() + 64, 9);
  MD5_Update(&reference, data.data() + 63, 10);

  Digest16 digest;
  DigestFinal(context, digest);
  unsigned char expected[MD5_DIGEST_LENGTH];
  MD5_Final(expected, &reference);
  EXPECT_EQ(DigestHexText(digest), Hex(expected));
}

TEST(Md5, LengthOf2To29BytesCountsInHighWord) {
  // 512 MiB of the kernel's zero page: length * 8 wraps to 0 in the low word.
  constexpr std::uint32_t kLength = 1u << 29;
  void* zeros = mmap(nullptr, kLength, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(zeros, MAP_FAILED);
  DigestContext context;
  DigestInit(context);
  DigestUpdate(context, zeros, kLength);
  munmap(zeros, kLength);
  EXPECT_EQ(context.count[0], 0u);
  EXPECT_EQ(context.count[1], 1u);
}

}  // namespace
}  // namespace automation
