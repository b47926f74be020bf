#include "host/loader/Pictures.h"

#include <algorithm>
#include <string>
#include <tuple>

#include "host/loader/CheckedBytes.h"

namespace host {
namespace {

using Bytes = std::span<const std::uint8_t>;

using bytes::Read;
using bytes::U16;
using bytes::U32;

std::size_t RowBytes(std::size_t width, std::size_t bits) { return (width * bits + 31) / 32 * 4; }

constexpr std::size_t kInfoHeader = 40;
constexpr std::size_t kFileHeader = 14;

}  // namespace

Picture DecodeDib(Bytes dib, bool withMask) {
  const std::size_t headerSize = U32(dib, 0);
  const std::uint32_t width = U32(dib, 4);
  // Bottom-up only: a negative height (top-down) has its sign bit set and fails the size check.
  const std::uint32_t height = withMask ? U32(dib, 8) / 2 : U32(dib, 8);
  const std::uint32_t planes = U16(dib, 12), bits = U16(dib, 14), compression = U32(dib, 16);
  if (headerSize < kInfoHeader || headerSize > dib.size() || planes != 1 || compression != 0) {
    throw ResourceError("malformed picture");
  }
  if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
    throw ResourceError("picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
  }
  if (bits != 4 && bits != 8 && bits != 24 && bits != 32) {
    throw ResourceError("unsupported picture depth of " + std::to_string(bits) + " bits");
  }
  std::size_t colours = bits <= 8 ? U32(dib, 32) : 0;
  if (bits <= 8 && colours == 0) colours = std::size_t{1} << bits;
  if (colours > (std::size_t{1} << bits)) throw ResourceError("picture palette too large");
  // Header and palette are bounded above, so no offset below can wrap.
  const std::size_t pixelsAt = headerSize + colours * 4;
  const std::size_t rowBytes = RowBytes(width, bits), maskRowBytes = RowBytes(width, 1);
  const std::size_t maskAt = pixelsAt + rowBytes * height;
  const std::size_t end = withMask ? maskAt + maskRowBytes * height : maskAt;
  if (end > dib.size()) throw ResourceError("truncated picture");

  Picture p{static_cast<int>(width), static_cast<int>(height), static_cast<int>(bits),
            std::vector<std::uint32_t>(std::size_t{width} * height)};
  bool anyAlpha = false;
  for (std::size_t y = 0; y < height; ++y) {
    const std::size_t row = pixelsAt + (height - 1 - y) * rowBytes;  // bottom-up
    for (std::size_t x = 0; x < width; ++x) {
      std::uint32_t argb = 0;
      if (bits <= 8) {
        const std::uint8_t byte = dib[row + x * bits / 8];
        const std::size_t index = bits == 8 ? byte : (x % 2 == 0 ? byte >> 4 : byte & 15);
        if (index >= colours) throw ResourceError("picture colour beyond its palette");
        argb = 0xFF000000u | (U32(dib, headerSize + index * 4) & 0xFFFFFF);
      } else {
        const std::size_t at = row + x * (bits / 8);
        argb = (bits == 32 ? std::uint32_t{dib[at + 3]} << 24 : 0xFF000000u) | Read(dib, at, 3);
        anyAlpha = anyAlpha || (argb >> 24) != 0;
      }
      p.pixels[y * width + x] = argb;
    }
  }
  if (bits == 32 && !anyAlpha) {
    // A 32-bit image without any alpha is an opaque one that never set it.
    for (auto& pixel : p.pixels) pixel |= 0xFF000000u;
  }
  if (withMask && !(bits == 32 && anyAlpha)) {
    for (std::size_t y = 0; y < height; ++y) {
      const std::size_t maskRow = maskAt + (height - 1 - y) * maskRowBytes;
      for (std::size_t x = 0; x < width; ++x) {
        if ((dib[maskRow + x / 8] & (0x80 >> (x % 8))) != 0) p.pixels[y * width + x] &= 0x00FFFFFFu;
      }
    }
  }
  return p;
}

std::vector<Picture> LoadGroupIcon(const rtl::ResourceDirectory& directory, std::string_view name) {
  const rtl::ResourceEntry* group = directory.Find(rtl::RT_GROUP_ICON, name);
  if (group == nullptr) throw ResourceError("no icon " + std::string(name));
  const Bytes g = group->data;
  if (U16(g, 2) != 1) throw ResourceError("malformed group icon");
  const std::uint32_t count = U16(g, 4);
  std::vector<Picture> images;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t id = U16(g, 6 + i * 14 + 12);
    const rtl::ResourceEntry* image = directory.Find(rtl::RT_ICON, id);
    if (image == nullptr) throw ResourceError("icon image " + std::to_string(id) + " missing");
    images.push_back(DecodeDib(image->data, true));
  }
  return images;
}

Picture IconOfPicture(Bytes picture, int size) {
  static constexpr std::string_view kIconClass = "TIcon";
  if (picture.size() < 1 + kIconClass.size() || picture[0] != kIconClass.size() ||
      !std::equal(kIconClass.begin(), kIconClass.end(), picture.begin() + 1)) {
    throw ResourceError("the picture is no icon");
  }
  const Bytes ico = picture.subspan(1 + kIconClass.size());
  if (U16(ico, 0) != 0 || U16(ico, 2) != 1) throw ResourceError("malformed icon");
  const std::size_t count = U16(ico, 4);
  if (count == 0) throw ResourceError("an icon without images");
  if (ico.size() < 6 + 16 * count) throw ResourceError("truncated icon");
  // The best entry: the wanted size first, then more colours, then larger.
  auto rank = [&](std::size_t entry) {
    const std::size_t at = 6 + 16 * entry;
    const int side = ico[at] == 0 ? 256 : ico[at];
    return std::tuple(side == size, static_cast<int>(U16(ico, at + 6)), side);
  };
  std::size_t best = 0;
  for (std::size_t i = 1; i < count; ++i) {
    if (rank(i) > rank(best)) best = i;
  }
  const std::size_t at = 6 + 16 * best;
  const std::size_t length = U32(ico, at + 8), offset = U32(ico, at + 12);
  if (offset > ico.size() || length > ico.size() - offset) throw ResourceError("truncated icon");
  return DecodeDib(ico.subspan(offset, length), true);
}

Picture GlyphOfData(Bytes glyph) {
  const std::size_t length = U32(glyph, 0);
  if (length > glyph.size() - 4 || length < kFileHeader) throw ResourceError("truncated glyph");
  const Bytes file = glyph.subspan(4, length);
  if (file[0] != 'B' || file[1] != 'M') throw ResourceError("the glyph is no bitmap");
  return DecodeDib(file.subspan(kFileHeader), false);
}

std::vector<std::uint32_t> Premultiplied(const Picture& picture) {
  std::vector<std::uint32_t> out;
  out.reserve(picture.pixels.size());
  for (const std::uint32_t argb : picture.pixels) {
    const std::uint32_t a = argb >> 24;
    auto scale = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    out.push_back(scale(argb & 255) | scale((argb >> 8) & 255) << 8 | scale((argb >> 16) & 255) << 16 | a << 24);
  }
  return out;
}

}  // namespace host
