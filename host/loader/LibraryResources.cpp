#include "host/loader/LibraryResources.h"

#include "host/loader/CheckedBytes.h"
#include "runtime/except/Exceptions.h"
#include "runtime/text/Unicode.h"

namespace host {
namespace {

using bytes::U16;
using bytes::U32;

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

}  // namespace host
