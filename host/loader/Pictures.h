// Pictures a library carries, decoded for showing: the images of its group
// icons, the icon of an image control's picture data ("TIcon" and an .ico
// file) and the glyph of a button (its size, then a .bmp file). They come
// from outside the program, so every offset and size is checked against
// the bytes it reads from, and anything malformed raises ResourceError.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "host/loader/ResourceSection.h"
#include "runtime/module/Module.h"

namespace host {

// Larger than any icon or glyph of a dialog; keeps the arithmetic far from overflow.
inline constexpr int kMaxPictureSide = 256;

struct Picture {
  int width = 0, height = 0;
  int bitCount = 0;                   // bits per pixel of the stored image
  std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, not premultiplied, row 0 at the top; alpha 0 where transparent

  std::size_t Index(int x, int y) const noexcept {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
  }
  std::uint32_t At(int x, int y) const { return pixels.at(Index(x, y)); }
};

// One device-independent bitmap (header, palette, pixels and, for an icon
// image, the transparency mask after them) of 4, 8, 24 or 32 bits per pixel,
// uncompressed, bottom row first. A 32-bit image carries its own alpha; one
// whose alpha is nought throughout is opaque but for its mask.
Picture DecodeDib(std::span<const std::uint8_t> dib, bool withMask);

// The images of a group icon, in the group's order.
std::vector<Picture> LoadGroupIcon(const rtl::ResourceDirectory& directory, std::string_view name);

// The icon of an image control's picture data: the image that fits size
// best (that size with the most colours, else the largest).
Picture IconOfPicture(std::span<const std::uint8_t> picture, int size);

// A button's glyph data.
Picture GlyphOfData(std::span<const std::uint8_t> glyph);

// The pixels premultiplied by their alpha, as an alpha-blending blit takes
// them (in memory: blue, green, red, alpha).
std::vector<std::uint32_t> Premultiplied(const Picture& picture);

}  // namespace host
