// Pictures held by form descriptions, decoded for drawing: the icon of an
// image control ("TIcon" and an .ico file) and the glyph of a button (its
// size, then a .bmp file). Both come from outside the program, so every
// offset and size is checked; a picture that does not decode is drawn as
// nothing rather than trusted.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace host {

// An image as premultiplied 32-bit BGRA pixels, top row first: what an
// alpha-blending blit takes.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> bgra;
};

// The icon of an image control's picture data, the image that fits size
// best (that size with the most colours, else the largest); nullopt when
// the picture is no icon or does not decode.
std::optional<Pixels> IconOfPicture(std::span<const std::uint8_t> picture, int size);

// A button's glyph data; nullopt when it does not decode.
std::optional<Pixels> GlyphOfData(std::span<const std::uint8_t> glyph);

// One device-independent bitmap (header, palette, pixels and, for an icon
// image, the transparency mask after them) of 4, 8, 24 or 32 bits per pixel,
// uncompressed.
std::optional<Pixels> DecodeDib(std::span<const std::uint8_t> dib, bool withMask);

}  // namespace host
