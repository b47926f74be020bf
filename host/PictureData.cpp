#include "host/PictureData.h"

#include <algorithm>
#include <string_view>
#include <tuple>

namespace host {
namespace {

using Bytes = std::span<const std::uint8_t>;

std::uint32_t Read16(Bytes b, std::size_t at) { return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8); }
std::uint32_t Read32(Bytes b, std::size_t at) { return Read16(b, at) | Read16(b, at + 2) << 16; }

std::size_t RowBytes(std::size_t width, std::size_t bits) { return (width * bits + 31) / 32 * 4; }

constexpr std::size_t kInfoHeader = 40;
constexpr std::size_t kFileHeader = 14;
// Larger than any picture of a dialog; keeps the arithmetic far from overflow.
constexpr std::uint32_t kMaxSide = 1024;

std::uint32_t Premultiply(std::uint8_t b, std::uint8_t g, std::uint8_t r, std::uint8_t a) {
  auto scale = [a](std::uint8_t c) { return static_cast<std::uint32_t>((c * a + 127) / 255); };
  return scale(b) | scale(g) << 8 | scale(r) << 16 | static_cast<std::uint32_t>(a) << 24;
}

}  // namespace

std::optional<Pixels> DecodeDib(Bytes dib, bool withMask) {
  if (dib.size() < kInfoHeader || Read32(dib, 0) < kInfoHeader) return std::nullopt;
  const std::size_t headerSize = Read32(dib, 0);
  const auto width = Read32(dib, 4);
  auto height = Read32(dib, 8);
  const std::uint32_t planes = Read16(dib, 12), bits = Read16(dib, 14), compression = Read32(dib, 16);
  // Bottom-up only: a negative height (top-down) has its sign bit set and fails the size check.
  if (withMask) height /= 2;
  if (planes != 1 || compression != 0 || width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
    return std::nullopt;
  }
  if (bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
  std::size_t colours = bits <= 8 ? Read32(dib, 32) : 0;
  if (bits <= 8 && (colours == 0 || colours > (1u << bits))) colours = std::size_t{1} << bits;
  const std::size_t pixelsAt = headerSize + colours * 4;
  const std::size_t rowBytes = RowBytes(width, bits), maskRowBytes = RowBytes(width, 1);
  const std::size_t maskAt = pixelsAt + rowBytes * height;
  if (headerSize > dib.size() || maskAt > dib.size() || (withMask && maskAt + maskRowBytes * height > dib.size())) {
    return std::nullopt;
  }
  Pixels out{static_cast<int>(width), static_cast<int>(height),
             std::vector<std::uint32_t>(std::size_t{width} * height)};
  bool anyAlpha = false;
  for (std::size_t y = 0; y < height; ++y) {
    const std::size_t row = pixelsAt + (height - 1 - y) * rowBytes;  // bottom-up
    const std::size_t maskRow = maskAt + (height - 1 - y) * maskRowBytes;
    for (std::size_t x = 0; x < width; ++x) {
      std::uint8_t b = 0, g = 0, r = 0, a = 255;
      if (bits <= 8) {
        std::size_t index = bits == 8 ? dib[row + x] : (dib[row + x / 2] >> (x % 2 == 0 ? 4 : 0)) & 15;
        if (index >= colours) index = 0;
        const std::size_t entry = headerSize + index * 4;
        b = dib[entry], g = dib[entry + 1], r = dib[entry + 2];
      } else {
        const std::size_t at = row + x * (bits / 8);
        b = dib[at], g = dib[at + 1], r = dib[at + 2];
        if (bits == 32) {
          a = dib[at + 3];
          anyAlpha = anyAlpha || a != 0;
        }
      }
      if (withMask && bits != 32 && (dib[maskRow + x / 8] & (0x80 >> (x % 8))) != 0) a = 0;
      out.bgra[y * width + x] = Premultiply(b, g, r, a);
    }
  }
  if (bits == 32 && !anyAlpha) {
    // A 32-bit image without any alpha is an opaque one that never set it.
    for (auto& pixel : out.bgra) pixel |= 0xFF000000u;
  }
  return out;
}

std::optional<Pixels> IconOfPicture(Bytes picture, int size) {
  static constexpr std::string_view kIconClass = "TIcon";
  if (picture.empty() || picture[0] != kIconClass.size() || picture.size() < 1 + kIconClass.size()) return std::nullopt;
  if (!std::equal(kIconClass.begin(), kIconClass.end(), picture.begin() + 1)) return std::nullopt;
  const Bytes ico = picture.subspan(1 + kIconClass.size());
  if (ico.size() < 6 || Read16(ico, 0) != 0 || Read16(ico, 2) != 1) return std::nullopt;
  const std::size_t count = Read16(ico, 4);
  if (ico.size() < 6 + 16 * count) return std::nullopt;
  // The best entry: the wanted size first, then more colours, then larger.
  std::optional<std::size_t> best;
  auto rank = [&](std::size_t entry) {
    const std::size_t at = 6 + 16 * entry;
    const int side = ico[at] == 0 ? 256 : ico[at];
    return std::tuple(side == size, static_cast<int>(Read16(ico, at + 6)), side);
  };
  for (std::size_t i = 0; i < count; ++i) {
    if (!best || rank(i) > rank(*best)) best = i;
  }
  if (!best) return std::nullopt;
  const std::size_t at = 6 + 16 * *best;
  const std::size_t length = Read32(ico, at + 8), offset = Read32(ico, at + 12);
  if (offset > ico.size() || length > ico.size() - offset) return std::nullopt;
  return DecodeDib(ico.subspan(offset, length), true);
}

std::optional<Pixels> GlyphOfData(Bytes glyph) {
  if (glyph.size() < 4) return std::nullopt;
  const std::size_t length = Read32(glyph, 0);
  if (length > glyph.size() - 4 || length < kFileHeader) return std::nullopt;
  const Bytes file = glyph.subspan(4, length);
  if (file[0] != 'B' || file[1] != 'M') return std::nullopt;
  return DecodeDib(file.subspan(kFileHeader), false);
}

}  // namespace host
