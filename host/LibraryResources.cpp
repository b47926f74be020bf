#include "host/LibraryResources.h"

#include "runtime/except/Exceptions.h"
#include "runtime/text/Unicode.h"

namespace host {
namespace {

std::uint64_t Read(std::span<const std::uint8_t> b, std::size_t at, std::size_t size) {
  if (at > b.size() || size > b.size() - at) throw ResourceError("truncated data");
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < size; ++i) v |= static_cast<std::uint64_t>(b[at + i]) << (8 * i);
  return v;
}

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(Read(b, at, 2));
}
std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(Read(b, at, 4));
}

std::string Utf16At(std::span<const std::uint8_t> b, std::size_t& at, std::size_t end) {
  std::u16string text;
  for (;;) {
    if (at + 2 > end) throw ResourceError("unterminated text in version information");
    const char16_t c = U16(b, at);
    at += 2;
    if (c == 0) break;
    text += c;
  }
  try {
    return rtl::WideToUtf8(text);
  } catch (const rtl::Exception&) {
    throw ResourceError("malformed text in version information");
  }
}

std::size_t Align4(std::size_t v) { return (v + 3) & ~static_cast<std::size_t>(3); }

struct Node {
  std::string key;
  std::size_t valueAt, valueLength, childrenAt, end;
  std::uint16_t type;
};

Node ReadNode(std::span<const std::uint8_t> b, std::size_t at, std::size_t limit) {
  Node n{};
  const std::uint16_t length = U16(b, at);
  if (length < 6 || at + length > limit) throw ResourceError("malformed version information");
  n.end = at + length;
  n.valueLength = U16(b, at + 2);
  n.type = U16(b, at + 4);
  std::size_t p = at + 6;
  n.key = Utf16At(b, p, n.end);
  n.valueAt = Align4(p);
  const std::size_t valueBytes = n.type == 1 ? n.valueLength * 2 : n.valueLength;
  if (n.valueAt + valueBytes > n.end) throw ResourceError("malformed version information");
  n.childrenAt = Align4(n.valueAt + valueBytes);
  return n;
}

}  // namespace

LibraryResources::LibraryResources(const std::string& path) : blob_(ReadResourceSection(path)) {
  try {
    directory_ = rtl::ResourceDirectory(blob_);
  } catch (const rtl::Exception& e) {
    throw ResourceError("'" + path + "': " + e.what());
  }
}

VersionInfo ParseVersionInfo(std::span<const std::uint8_t> data) {
  const Node root = ReadNode(data, 0, data.size());
  if (root.key != "VS_VERSION_INFO" || root.valueLength < 52 || U32(data, root.valueAt) != 0xFEEF04BD) {
    throw ResourceError("not version information");
  }
  VersionInfo info;
  const std::uint32_t words[4] = {U32(data, root.valueAt + 8), U32(data, root.valueAt + 12),
                                  U32(data, root.valueAt + 16), U32(data, root.valueAt + 20)};
  info.fileVersion = {static_cast<std::uint16_t>(words[0] >> 16), static_cast<std::uint16_t>(words[0]),
                      static_cast<std::uint16_t>(words[1] >> 16), static_cast<std::uint16_t>(words[1])};
  info.productVersion = {static_cast<std::uint16_t>(words[2] >> 16), static_cast<std::uint16_t>(words[2]),
                         static_cast<std::uint16_t>(words[3] >> 16), static_cast<std::uint16_t>(words[3])};
  for (std::size_t at = root.childrenAt; at < root.end;) {
    const Node child = ReadNode(data, at, root.end);
    if (child.key == "StringFileInfo") {
      for (std::size_t t = child.childrenAt; t < child.end;) {
        const Node table = ReadNode(data, t, child.end);
        for (std::size_t s = table.childrenAt; s < table.end;) {
          const Node entry = ReadNode(data, s, table.end);
          std::size_t v = entry.valueAt;
          info.strings.emplace_back(entry.key, entry.valueLength == 0 ? std::string() : Utf16At(data, v, entry.end));
          s = Align4(entry.end);
        }
        t = Align4(table.end);
      }
    } else if (child.key == "VarFileInfo") {
      const Node var = ReadNode(data, child.childrenAt, child.end);
      if (var.valueLength >= 4) {
        info.language = U16(data, var.valueAt);
        info.codePage = U16(data, var.valueAt + 2);
      }
    }
    at = Align4(child.end);
  }
  return info;
}

IconPicture DecodeIconImage(std::span<const std::uint8_t> dib) {
  IconPicture p;
  const std::uint32_t headerSize = U32(dib, 0);
  p.width = static_cast<int>(U32(dib, 4));
  p.height = static_cast<int>(U32(dib, 8)) / 2;
  p.bitCount = U16(dib, 14);
  if (headerSize < 40 || p.width <= 0 || p.width > 256 || p.height <= 0 || p.height > 256) {
    throw ResourceError("malformed icon image");
  }
  if (p.bitCount != 4 && p.bitCount != 8 && p.bitCount != 24 && p.bitCount != 32) {
    throw ResourceError("unsupported icon depth");
  }
  // Header and palette are bounded first, so no offset below can wrap even
  // where sizes are 32 bits wide.
  if (headerSize > dib.size()) throw ResourceError("malformed icon image");
  std::size_t paletteSize = p.bitCount <= 8 ? U32(dib, 32) : 0;
  if (p.bitCount <= 8 && paletteSize == 0) paletteSize = std::size_t{1} << p.bitCount;
  if (p.bitCount <= 8 && paletteSize > std::size_t{1} << p.bitCount) throw ResourceError("icon palette too large");
  const std::size_t paletteAt = headerSize;
  const std::size_t pixelsAt = paletteAt + paletteSize * 4;
  const auto width = static_cast<std::size_t>(p.width);
  const std::size_t rowBytes = (width * static_cast<std::size_t>(p.bitCount) + 31) / 32 * 4;
  const std::size_t maskRowBytes = (width + 31) / 32 * 4;
  const std::size_t maskAt = pixelsAt + rowBytes * static_cast<std::size_t>(p.height);
  p.pixels.resize(width * static_cast<std::size_t>(p.height));
  for (int y = 0; y < p.height; ++y) {
    const std::size_t row = pixelsAt + rowBytes * static_cast<std::size_t>(p.height - 1 - y);
    const std::size_t maskRow = maskAt + maskRowBytes * static_cast<std::size_t>(p.height - 1 - y);
    for (int x = 0; x < p.width; ++x) {
      const auto ux = static_cast<std::size_t>(x);
      std::uint32_t argb = 0;
      if (p.bitCount <= 8) {
        const auto byte = static_cast<std::uint8_t>(Read(dib, row + ux * static_cast<std::size_t>(p.bitCount) / 8, 1));
        const std::size_t index = p.bitCount == 8 ? byte : (x % 2 == 0 ? byte >> 4 : byte & 15);
        if (index >= paletteSize) throw ResourceError("icon colour beyond its palette");
        const std::uint32_t bgr = U32(dib, paletteAt + index * 4);
        argb = 0xFF000000u | (bgr & 0xFFFFFF);
      } else {
        const std::size_t at = row + ux * static_cast<std::size_t>(p.bitCount / 8);
        const auto bgr = static_cast<std::uint32_t>(Read(dib, at, 3));
        const std::uint32_t alpha = p.bitCount == 32 ? static_cast<std::uint32_t>(Read(dib, at + 3, 1)) : 0xFF;
        argb = alpha << 24 | bgr;
      }
      const auto maskByte = static_cast<std::uint8_t>(Read(dib, maskRow + ux / 8, 1));
      if ((maskByte & (0x80 >> (x % 8))) != 0) argb &= 0x00FFFFFF;
      p.pixels[p.Index(x, y)] = argb;
    }
  }
  return p;
}

std::vector<IconPicture> LoadGroupIcon(const rtl::ResourceDirectory& directory, std::string_view name) {
  const rtl::ResourceEntry* group = directory.Find(rtl::RT_GROUP_ICON, name);
  if (group == nullptr) throw ResourceError("no icon " + std::string(name));
  const auto g = group->data;
  if (U16(g, 2) != 1) throw ResourceError("malformed group icon");
  const std::uint16_t count = U16(g, 4);
  std::vector<IconPicture> images;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint16_t id = U16(g, 6 + i * 14 + 12);
    const rtl::ResourceEntry* image = directory.Find(rtl::RT_ICON, id);
    if (image == nullptr) throw ResourceError("icon image " + std::to_string(id) + " missing");
    images.push_back(DecodeIconImage(image->data));
  }
  return images;
}

}  // namespace host
