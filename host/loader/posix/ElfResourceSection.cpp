#include "host/loader/posix/ElfResourceSection.h"

#include <gelf.h>
#include <libelf.h>

#include <cstring>
#include <memory>
#include <string>

namespace host {
namespace {

struct ElfDeleter {
  void operator()(Elf* elf) const noexcept { elf_end(elf); }
};

[[noreturn]] void Raise(const std::string& what) {
  const char* reason = elf_errmsg(0);  // null when libelf saw nothing wrong
  throw ResourceError(what + (reason != nullptr ? std::string(" (") + reason + ")" : std::string()));
}

}  // namespace

std::vector<std::uint8_t> ElfResourceSection(std::span<char> image) {
  elf_errno();  // forget an earlier file's error
  if (elf_version(EV_CURRENT) == EV_NONE) Raise("cannot be read: libelf is out of date");
  const std::unique_ptr<Elf, ElfDeleter> elf(elf_memory(image.data(), image.size()));
  if (elf == nullptr || elf_kind(elf.get()) != ELF_K_ELF) Raise("is not an ELF library");
  // libelf drops a section table that lies outside the file; that is damage.
  GElf_Ehdr file;
  std::size_t count = 0;
  std::size_t names = 0;
  if (gelf_getehdr(elf.get(), &file) == nullptr || elf_getshdrnum(elf.get(), &count) != 0 ||
      (file.e_shoff != 0 && count == 0) || elf_getshdrstrndx(elf.get(), &names) != 0 || names >= count) {
    Raise("has a malformed section table");
  }
  for (Elf_Scn* section = elf_nextscn(elf.get(), nullptr); section != nullptr;
       section = elf_nextscn(elf.get(), section)) {
    GElf_Shdr header;
    if (gelf_getshdr(section, &header) == nullptr) Raise("has a malformed section header");
    const char* name = elf_strptr(elf.get(), names, header.sh_name);
    if (name == nullptr) Raise("has a malformed section name");
    if (std::strcmp(name, kResourceSectionName) != 0) continue;
    if (header.sh_type == SHT_NOBITS) Raise("has a resource section without bytes");
    // The raw bytes: the blob has its own byte order, whatever the file's.
    const Elf_Data* data = elf_rawdata(section, nullptr);
    if (data == nullptr) Raise("has a truncated resource section");
    if (data->d_size == 0) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(data->d_buf);
    if (bytes == nullptr) Raise("has a resource section without bytes");
    return {bytes, bytes + data->d_size};
  }
  throw ResourceError("carries no resources");
}

}  // namespace host
