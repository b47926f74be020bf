// The unit md5: RFC 1321 digests and their hexadecimal text. Stored
// passwords are DigestHexText(DigestOfText(password)).
#pragma once

#include <cstdint>

#include "runtime/text/Text.h"

namespace automation {

// The digest in the standard's output order: state words A, B, C, D, each
// least significant byte first.
struct Digest16 {
  std::uint8_t bytes[16];
};

struct DigestContext {
  std::uint32_t state[4];   // A, B, C, D
  std::uint32_t count[2];   // bits absorbed, low word first
  std::uint8_t buffer[64];  // input not yet transformed
};

// State to the standard's initial values, count and buffer to zero.
void DigestInit(DigestContext& context);

// Absorbs length bytes from data; data may be null when length is 0.
void DigestUpdate(DigestContext& context, const void* data, std::uint32_t length);

// Pads, writes the digest and then overwrites the whole context with zeros.
void DigestFinal(DigestContext& context, Digest16& digest);

// Digest of the text's bytes as stored (GBK), without a terminator.
Digest16 DigestOfText(const rtl::AnsiString& text);

// 32 lower-case hexadecimal digits, high nibble of each byte first.
rtl::AnsiString DigestHexText(const Digest16& digest);

}  // namespace automation
