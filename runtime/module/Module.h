// Modules and their resources. Each library carries a resource blob (form
// descriptions, string tables, icons, version information) and registers
// itself at load; its instance handle (HINSTANCE) then finds its resources.
//
// Blob layout, all numbers little-endian:
//   "VRES", u32 count, then count entries of
//   { u16 type, u16 language, u32 nameOffset, u32 id, u32 dataOffset, u32 dataSize }
//   where nameOffset is 0 for a resource known by id, else the offset of a
//   NUL-terminated upper-case ASCII name; offsets count from the blob's start.
#pragma once

#include <cstdint>
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

class TLibModule {
 public:
  TLibModule(std::string name, std::span<const std::uint8_t> resources);
  const std::string& Name() const noexcept { return name_; }
  const ResourceDirectory& Resources() const noexcept { return resources_; }

 private:
  friend void RegisterModule(TLibModule& module) noexcept;
  friend void UnregisterModule(TLibModule& module) noexcept;
  friend std::vector<const TLibModule*> LoadedModules();

  std::string name_;
  ResourceDirectory resources_;
  TLibModule* next_ = nullptr;  // in the list of loaded modules
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
