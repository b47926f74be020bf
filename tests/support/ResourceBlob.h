// Resource blobs and string tables built by hand, laid out as
// runtime/module/Module.h and runtime/module/ResString.h read them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::test {

inline std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

inline void PutLE(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// One resource, known by name when name is not empty, else by id.
struct Res {
  std::uint16_t type;
  std::string name;
  std::uint32_t id = 0;
  std::vector<std::uint8_t> data;
};

// The layout of runtime/module/Module.h: header, entries, the data of each
// entry, then the names, so the last byte of a blob with names is a NUL.
inline std::vector<std::uint8_t> BuildBlob(const std::vector<Res>& entries) {
  std::vector<std::uint8_t> blob{'V', 'R', 'E', 'S', 0, 0, 0, 0};
  PutLE(blob, 4, static_cast<std::uint32_t>(entries.size()), 4);
  blob.resize(8 + 20 * entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    PutLE(blob, 8 + 20 * i, entries[i].type, 2);
    PutLE(blob, 8 + 20 * i + 8, entries[i].id, 4);
    PutLE(blob, 8 + 20 * i + 12, static_cast<std::uint32_t>(blob.size()), 4);
    PutLE(blob, 8 + 20 * i + 16, static_cast<std::uint32_t>(entries[i].data.size()), 4);
    blob.insert(blob.end(), entries[i].data.begin(), entries[i].data.end());
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].name.empty()) continue;
    PutLE(blob, 8 + 20 * i + 4, static_cast<std::uint32_t>(blob.size()), 4);
    const char* name = entries[i].name.c_str();
    blob.insert(blob.end(), name, name + entries[i].name.size() + 1);
  }
  return blob;
}

// A string-table block: length-counted UTF-16LE strings.
inline std::vector<std::uint8_t> StringBlock(const std::vector<std::u16string>& strings) {
  std::vector<std::uint8_t> block;
  for (const std::u16string& s : strings) {
    for (char16_t c : static_cast<char16_t>(s.size()) + s) {
      block.insert(block.end(), {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8)});
    }
  }
  return block;
}

}  // namespace velmora::test
