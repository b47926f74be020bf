#include "automation/md5.h"

#include <bit>
#include <cstddef>
#include <cstring>

namespace automation {
namespace {

#if defined(__GNUC__)
#define MD5_INLINE inline __attribute__((always_inline))
#else
#define MD5_INLINE inline
#endif

MD5_INLINE std::uint32_t LoadLe32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big) {
    v = (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
  }
  return v;
}

MD5_INLINE void StoreLe32(std::uint8_t* p, std::uint32_t v) {
  if constexpr (std::endian::native == std::endian::big) {
    v = (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
  }
  std::memcpy(p, &v, sizeof v);
}

// 64 bytes to the sixteen message words of one block.
MD5_INLINE void DecodeBlock(std::uint32_t (&x)[16], const std::uint8_t* block) {
  for (std::size_t i = 0; i < 16; ++i) x[i] = LoadLe32(block + 4 * i);
}

// Words to bytes, least significant byte first.
MD5_INLINE void EncodeWords(std::uint8_t* out, const std::uint32_t* words, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) StoreLe32(out + 4 * i, words[i]);
}

// Each step keeps the critical path (through b, the newest word) short: the
// constant, the message word and any term that does not involve b are added
// to a first. G's select is split into two disjoint terms for that reason.
#define MD5_STEP_F(a, b, c, d, x, k, s) \
  (a) += (x) + (k);                     \
  (a) += (d) ^ ((b) & ((c) ^ (d)));     \
  (a) = std::rotl((a), (s)) + (b)
#define MD5_STEP_G(a, b, c, d, x, k, s) \
  (a) += (x) + (k) + (~(d) & (c));      \
  (a) += (d) & (b);                     \
  (a) = std::rotl((a), (s)) + (b)
#define MD5_STEP_H(a, b, c, d, x, k, s) \
  (a) += (x) + (k);                     \
  (a) += ((c) ^ (d)) ^ (b);             \
  (a) = std::rotl((a), (s)) + (b)
#define MD5_STEP_I(a, b, c, d, x, k, s) \
  (a) += (x) + (k);                     \
  (a) += (c) ^ ((b) | ~(d));            \
  (a) = std::rotl((a), (s)) + (b)

// The standard's transform of one 64-byte block into the state.
MD5_INLINE void DigestBlock(std::uint32_t (&state)[4], const std::uint8_t* block) {
  std::uint32_t x[16];
  DecodeBlock(x, block);
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

  MD5_STEP_F(a, b, c, d, x[0], 0xd76aa478u, 7);
  MD5_STEP_F(d, a, b, c, x[1], 0xe8c7b756u, 12);
  MD5_STEP_F(c, d, a, b, x[2], 0x242070dbu, 17);
  MD5_STEP_F(b, c, d, a, x[3], 0xc1bdceeeu, 22);
  MD5_STEP_F(a, b, c, d, x[4], 0xf57c0fafu, 7);
  MD5_STEP_F(d, a, b, c, x[5], 0x4787c62au, 12);
  MD5_STEP_F(c, d, a, b, x[6], 0xa8304613u, 17);
  MD5_STEP_F(b, c, d, a, x[7], 0xfd469501u, 22);
  MD5_STEP_F(a, b, c, d, x[8], 0x698098d8u, 7);
  MD5_STEP_F(d, a, b, c, x[9], 0x8b44f7afu, 12);
  MD5_STEP_F(c, d, a, b, x[10], 0xffff5bb1u, 17);
  MD5_STEP_F(b, c, d, a, x[11], 0x895cd7beu, 22);
  MD5_STEP_F(a, b, c, d, x[12], 0x6b901122u, 7);
  MD5_STEP_F(d, a, b, c, x[13], 0xfd987193u, 12);
  MD5_STEP_F(c, d, a, b, x[14], 0xa679438eu, 17);
  MD5_STEP_F(b, c, d, a, x[15], 0x49b40821u, 22);

  MD5_STEP_G(a, b, c, d, x[1], 0xf61e2562u, 5);
  MD5_STEP_G(d, a, b, c, x[6], 0xc040b340u, 9);
  MD5_STEP_G(c, d, a, b, x[11], 0x265e5a51u, 14);
  MD5_STEP_G(b, c, d, a, x[0], 0xe9b6c7aau, 20);
  MD5_STEP_G(a, b, c, d, x[5], 0xd62f105du, 5);
  MD5_STEP_G(d, a, b, c, x[10], 0x02441453u, 9);
  MD5_STEP_G(c, d, a, b, x[15], 0xd8a1e681u, 14);
  MD5_STEP_G(b, c, d, a, x[4], 0xe7d3fbc8u, 20);
  MD5_STEP_G(a, b, c, d, x[9], 0x21e1cde6u, 5);
  MD5_STEP_G(d, a, b, c, x[14], 0xc33707d6u, 9);
  MD5_STEP_G(c, d, a, b, x[3], 0xf4d50d87u, 14);
  MD5_STEP_G(b, c, d, a, x[8], 0x455a14edu, 20);
  MD5_STEP_G(a, b, c, d, x[13], 0xa9e3e905u, 5);
  MD5_STEP_G(d, a, b, c, x[2], 0xfcefa3f8u, 9);
  MD5_STEP_G(c, d, a, b, x[7], 0x676f02d9u, 14);
  MD5_STEP_G(b, c, d, a, x[12], 0x8d2a4c8au, 20);

  MD5_STEP_H(a, b, c, d, x[5], 0xfffa3942u, 4);
  MD5_STEP_H(d, a, b, c, x[8], 0x8771f681u, 11);
  MD5_STEP_H(c, d, a, b, x[11], 0x6d9d6122u, 16);
  MD5_STEP_H(b, c, d, a, x[14], 0xfde5380cu, 23);
  MD5_STEP_H(a, b, c, d, x[1], 0xa4beea44u, 4);
  MD5_STEP_H(d, a, b, c, x[4], 0x4bdecfa9u, 11);
  MD5_STEP_H(c, d, a, b, x[7], 0xf6bb4b60u, 16);
  MD5_STEP_H(b, c, d, a, x[10], 0xbebfbc70u, 23);
  MD5_STEP_H(a, b, c, d, x[13], 0x289b7ec6u, 4);
  MD5_STEP_H(d, a, b, c, x[0], 0xeaa127fau, 11);
  MD5_STEP_H(c, d, a, b, x[3], 0xd4ef3085u, 16);
  MD5_STEP_H(b, c, d, a, x[6], 0x04881d05u, 23);
  MD5_STEP_H(a, b, c, d, x[9], 0xd9d4d039u, 4);
  MD5_STEP_H(d, a, b, c, x[12], 0xe6db99e5u, 11);
  MD5_STEP_H(c, d, a, b, x[15], 0x1fa27cf8u, 16);
  MD5_STEP_H(b, c, d, a, x[2], 0xc4ac5665u, 23);

  MD5_STEP_I(a, b, c, d, x[0], 0xf4292244u, 6);
  MD5_STEP_I(d, a, b, c, x[7], 0x432aff97u, 10);
  MD5_STEP_I(c, d, a, b, x[14], 0xab9423a7u, 15);
  MD5_STEP_I(b, c, d, a, x[5], 0xfc93a039u, 21);
  MD5_STEP_I(a, b, c, d, x[12], 0x655b59c3u, 6);
  MD5_STEP_I(d, a, b, c, x[3], 0x8f0ccc92u, 10);
  MD5_STEP_I(c, d, a, b, x[10], 0xffeff47du, 15);
  MD5_STEP_I(b, c, d, a, x[1], 0x85845dd1u, 21);
  MD5_STEP_I(a, b, c, d, x[8], 0x6fa87e4fu, 6);
  MD5_STEP_I(d, a, b, c, x[15], 0xfe2ce6e0u, 10);
  MD5_STEP_I(c, d, a, b, x[6], 0xa3014314u, 15);
  MD5_STEP_I(b, c, d, a, x[13], 0x4e0811a1u, 21);
  MD5_STEP_I(a, b, c, d, x[4], 0xf7537e82u, 6);
  MD5_STEP_I(d, a, b, c, x[11], 0xbd3af235u, 10);
  MD5_STEP_I(c, d, a, b, x[2], 0x2ad7d2bbu, 15);
  MD5_STEP_I(b, c, d, a, x[9], 0xeb86d391u, 21);

  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

#undef MD5_STEP_F
#undef MD5_STEP_G
#undef MD5_STEP_H
#undef MD5_STEP_I

// A memset the optimiser may not drop although the context is dead after it.
void SecureZero(void* p, std::size_t n) {
  std::memset(p, 0, n);
#if defined(__GNUC__)
  __asm__ __volatile__("" : : "r"(p) : "memory");
#else
  auto* volatile bytes = static_cast<volatile std::uint8_t*>(p);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = 0;
#endif
}

constexpr std::uint8_t kPadding[64] = {0x80};

}  // namespace

void DigestInit(DigestContext& context) {
  context.state[0] = 0x67452301u;
  context.state[1] = 0xefcdab89u;
  context.state[2] = 0x98badcfeu;
  context.state[3] = 0x10325476u;
  context.count[0] = 0;
  context.count[1] = 0;
  std::memset(context.buffer, 0, sizeof context.buffer);
}

void DigestUpdate(DigestContext& context, const void* data, std::uint32_t length) {
  const auto* input = static_cast<const std::uint8_t*>(data);
  const std::uint32_t index = (context.count[0] >> 3) & 0x3Fu;

  context.count[0] += length << 3;
  if (context.count[0] < (length << 3)) ++context.count[1];
  context.count[1] += length >> 29;

  const std::uint32_t part_length = 64 - index;
  std::uint32_t i = 0;
  if (length >= part_length) {
    std::memcpy(context.buffer + index, input, part_length);
    DigestBlock(context.state, context.buffer);
    for (i = part_length; length - i >= 64; i += 64) DigestBlock(context.state, input + i);
    if (i < length) std::memcpy(context.buffer, input + i, length - i);
  } else if (length > 0) {
    std::memcpy(context.buffer + index, input, length);
  }
}

void DigestFinal(DigestContext& context, Digest16& digest) {
  std::uint8_t bits[8];
  EncodeWords(bits, context.count, 2);

  const std::uint32_t index = (context.count[0] >> 3) & 0x3Fu;
  const std::uint32_t pad_length = index < 56 ? 56 - index : 120 - index;
  DigestUpdate(context, kPadding, pad_length);
  DigestUpdate(context, bits, sizeof bits);

  EncodeWords(digest.bytes, context.state, 4);
  SecureZero(&context, sizeof context);
}

Digest16 DigestOfText(const rtl::AnsiString& text) {
  DigestContext context;
  DigestInit(context);
  // The update takes a 32-bit length; longer texts go in several pieces.
  const char* data = text.data();
  std::size_t remaining = text.size();
  do {
    const auto piece = static_cast<std::uint32_t>(remaining < 0x80000000u ? remaining : 0x80000000u);
    DigestUpdate(context, data, piece);
    data += piece;
    remaining -= piece;
  } while (remaining > 0);
  Digest16 digest;
  DigestFinal(context, digest);
  return digest;
}

rtl::AnsiString DigestHexText(const Digest16& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  rtl::AnsiString text(32, '\0');
  for (std::size_t i = 0; i < 16; ++i) {
    text[2 * i] = kDigits[digest.bytes[i] >> 4];
    text[2 * i + 1] = kDigits[digest.bytes[i] & 0x0F];
  }
  return text;
}

}  // namespace automation
