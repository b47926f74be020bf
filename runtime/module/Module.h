// Modules and their resources. Each library carries its resources (form
// descriptions, string tables, icons, version information) and registers
// itself at load; its instance handle (HINSTANCE) then finds its resources.
// On Windows they are the platform's own resources of the library's image;
// elsewhere the library carries them as a blob in its data.
//
// Blob layout, all numbers little-endian:
//   "VRES", u32 count, then count entries of
//   { u16 type, u16 language, u32 nameOffset, u32 id, u32 dataOffset, u32 dataSize }
//   where nameOffset is 0 for a resource known by id, else the offset of a
//   NUL-terminated upper-case ASCII name; offsets count from the blob's start.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rtl {

enum ResourceType : std::uint16_t {
  RT_ICON = 3,
  RT_STRING = 6,
  RT_RCDATA = 10,
  RT_GROUP_ICON = 14,
  RT_VERSION = 16,
};

struct ResourceEntry {
  std::uint16_t type = 0;
  std::uint16_t language = 0;
  std::string name;  // empty for a resource known by id
  std::uint32_t id = 0;
  std::span<const std::uint8_t> data;
};

// The parsed table of a resource blob. Parsing checks every offset and size
// against the blob and raises EResNotFound for a malformed blob.
class ResourceDirectory {
 public:
  ResourceDirectory() = default;
  explicit ResourceDirectory(std::span<const std::uint8_t> blob);

  const ResourceEntry* Find(std::uint16_t type, std::uint32_t id) const noexcept;
  // Names compare without regard to letter case.
  const ResourceEntry* Find(std::uint16_t type, std::string_view name) const noexcept;
  const std::vector<ResourceEntry>& Entries() const noexcept { return entries_; }

 private:
  std::vector<ResourceEntry> entries_;
};

// Where a module's resources are: a blob, or the platform's resources of
// the loaded image that holds an address (where the platform keeps them).
class ResourceSource {
 public:
  ResourceSource() = default;
  template <class Bytes>
  requires std::convertible_to<const Bytes&, std::span<const std::uint8_t>> ResourceSource(const Bytes& blob)
      : blob_(blob) {}  // NOLINT: a blob is a source
  static ResourceSource LinkedInto(const void* address) noexcept {
    ResourceSource source;
    source.linkedAt_ = address;
    return source;
  }
  std::span<const std::uint8_t> Blob() const noexcept { return blob_; }
  const void* LinkedAt() const noexcept { return linkedAt_; }
  bool Empty() const noexcept { return blob_.empty() && linkedAt_ == nullptr; }

 private:
  std::span<const std::uint8_t> blob_;
  const void* linkedAt_ = nullptr;
};

class TLibModule {
 public:
  TLibModule(std::string name, ResourceSource resources);
  const std::string& Name() const noexcept { return name_; }
  // The parsed blob; empty for a module whose resources are the platform's.
  const ResourceDirectory& Resources() const noexcept { return resources_; }

  std::optional<std::span<const std::uint8_t>> Find(std::uint16_t type, std::uint32_t id) const;
  std::optional<std::span<const std::uint8_t>> Find(std::uint16_t type, std::string_view name) const;
  // The text of a string-table string; nothing when its block ends before
  // it. Raises EResNotFound when no block holds its id or the block is malformed.
  std::optional<std::u16string> StringResource(std::uint32_t id) const;

 private:
  friend void RegisterModule(TLibModule& module) noexcept;
  friend void UnregisterModule(TLibModule& module) noexcept;
  friend std::vector<const TLibModule*> LoadedModules();

  std::string name_;
  ResourceDirectory resources_;
  TLibModule* next_ = nullptr;  // in the list of loaded modules
  void* image_ = nullptr;       // the platform's handle when the resources are the platform's
};

// The instance handle of a module: what its resources are found by.
using HINST = const TLibModule*;

// The modules loaded now, in the order they were loaded: module-wide state
// of the runtime, a list threaded through the module records themselves so
// that it needs no destruction (libraries still loaded at exit unregister
// after the runtime's own objects are gone). A library registers its module
// record when it is loaded and removes it before it is unloaded.
void RegisterModule(TLibModule& module) noexcept;
void UnregisterModule(TLibModule& module) noexcept;
std::vector<HINST> LoadedModules();

// The data of a resource, raising EResNotFound when the module has none such.
std::span<const std::uint8_t> LoadResource(HINST module, std::uint16_t type, std::string_view name);
std::span<const std::uint8_t> LoadResource(HINST module, std::uint16_t type, std::uint32_t id);

}  // namespace rtl
