#include "runtime/module/Module.h"

#include <cstring>

#include "runtime/except/Exceptions.h"
#include "runtime/module/PlatformImage.h"
#include "runtime/text/Text.h"

namespace rtl {
namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kEntrySize = 20;

[[noreturn]] void RaiseMalformed(const char* what) {
  throw EResNotFound(std::string("Malformed resource table: ") + what);
}

std::uint32_t ReadU32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t ReadU16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

}  // namespace

ResourceDirectory::ResourceDirectory(std::span<const std::uint8_t> blob) {
  if (blob.size() < kHeaderSize || std::memcmp(blob.data(), "VRES", 4) != 0) RaiseMalformed("bad signature");
  const std::uint32_t count = ReadU32(blob, 4);
  if (count > (blob.size() - kHeaderSize) / kEntrySize) RaiseMalformed("entry count beyond the end");
  entries_.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = kHeaderSize + i * kEntrySize;
    ResourceEntry entry;
    entry.type = ReadU16(blob, at);
    entry.language = ReadU16(blob, at + 2);
    const std::uint32_t nameOffset = ReadU32(blob, at + 4);
    entry.id = ReadU32(blob, at + 8);
    const std::uint32_t dataOffset = ReadU32(blob, at + 12);
    const std::uint32_t dataSize = ReadU32(blob, at + 16);
    if (dataOffset > blob.size() || dataSize > blob.size() - dataOffset) RaiseMalformed("data beyond the end");
    entry.data = blob.subspan(dataOffset, dataSize);
    if (nameOffset != 0) {
      if (nameOffset >= blob.size()) RaiseMalformed("name beyond the end");
      const auto* start = blob.data() + nameOffset;
      const void* nul = std::memchr(start, 0, blob.size() - nameOffset);
      if (nul == nullptr) RaiseMalformed("unterminated name");
      entry.name.assign(reinterpret_cast<const char*>(start),
                        static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - start));
    }
    entries_.push_back(std::move(entry));
  }
}

const ResourceEntry* ResourceDirectory::Find(std::uint16_t type, std::uint32_t id) const noexcept {
  for (const ResourceEntry& e : entries_) {
    if (e.type == type && e.name.empty() && e.id == id) return &e;
  }
  return nullptr;
}

const ResourceEntry* ResourceDirectory::Find(std::uint16_t type, std::string_view name) const noexcept {
  for (const ResourceEntry& e : entries_) {
    if (e.type == type && !e.name.empty() && SameText(e.name, name)) return &e;
  }
  return nullptr;
}

TLibModule::TLibModule(std::string name, ResourceSource resources)
    : name_(std::move(name)),
      resources_(resources.Blob().empty() ? ResourceDirectory() : ResourceDirectory(resources.Blob())) {
  if (resources.LinkedAt() != nullptr) image_ = platform::ImageAt(resources.LinkedAt());
}

std::optional<std::span<const std::uint8_t>> TLibModule::Find(std::uint16_t type, std::uint32_t id) const {
  if (image_ != nullptr) return platform::FindImageResource(image_, type, id);
  const ResourceEntry* entry = resources_.Find(type, id);
  if (entry == nullptr) return std::nullopt;
  return entry->data;
}

std::optional<std::span<const std::uint8_t>> TLibModule::Find(std::uint16_t type, std::string_view name) const {
  if (image_ != nullptr) return platform::FindImageResource(image_, type, name);
  const ResourceEntry* entry = resources_.Find(type, name);
  if (entry == nullptr) return std::nullopt;
  return entry->data;
}

// Block n of a string table holds the ids 16(n-1) to 16(n-1)+15 as sixteen
// length-counted UTF-16 strings.
std::optional<std::u16string> TLibModule::StringResource(std::uint32_t id) const {
  const auto block = LoadResource(this, RT_STRING, id / 16 + 1);
  if (image_ != nullptr) return platform::LoadImageString(image_, id);
  std::size_t at = 0;
  for (std::uint32_t index = 0;; ++index) {
    if (at + 2 > block.size()) return std::nullopt;
    const auto length = static_cast<std::size_t>(block[at] | block[at + 1] << 8);
    at += 2;
    if (length > (block.size() - at) / 2) throw EResNotFound("Malformed string table");
    if (index == id % 16) {
      std::u16string text(length, u'\0');
      for (std::size_t i = 0; i < length; ++i) {
        text[i] = static_cast<char16_t>(block[at + 2 * i] | block[at + 2 * i + 1] << 8);
      }
      return text;
    }
    at += length * 2;
  }
}

namespace {
constinit TLibModule* FirstModule = nullptr;
}  // namespace

void RegisterModule(TLibModule& module) noexcept {
  TLibModule** link = &FirstModule;
  while (*link != nullptr && *link != &module) link = &(*link)->next_;
  if (*link == nullptr) {
    module.next_ = nullptr;
    *link = &module;
  }
}

void UnregisterModule(TLibModule& module) noexcept {
  for (TLibModule** link = &FirstModule; *link != nullptr; link = &(*link)->next_) {
    if (*link == &module) {
      *link = module.next_;
      module.next_ = nullptr;
      return;
    }
  }
}

std::vector<HINST> LoadedModules() {
  std::vector<HINST> modules;
  for (const TLibModule* m = FirstModule; m != nullptr; m = m->next_) modules.push_back(m);
  return modules;
}

std::span<const std::uint8_t> LoadResource(HINST module, std::uint16_t type, std::string_view name) {
  const auto data = module != nullptr ? module->Find(type, name) : std::nullopt;
  if (!data) throw EResNotFound("Resource " + std::string(name) + " not found");
  return *data;
}

std::span<const std::uint8_t> LoadResource(HINST module, std::uint16_t type, std::uint32_t id) {
  const auto data = module != nullptr ? module->Find(type, id) : std::nullopt;
  if (!data) throw EResNotFound("Resource " + std::to_string(id) + " not found");
  return *data;
}

}  // namespace rtl
