// The host's reader of a library file's resources (ELF), on a small hand-made
// ELF file and on damaged copies of it: every damage is refused with a
// ResourceError naming the file, and nothing is read outside the file.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "host/loader/LibraryResources.h"
#include "tests/support/Expectations.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

// A 64-bit little-endian ELF file with three sections: none, the section
// names, and velmora_rsrc holding a resource table of one RCDATA entry
// (id 7, "abc").
class ElfFile {
 public:
  static constexpr std::size_t kNamesAt = 64, kBlobAt = 88, kSectionsAt = 120, kSectionSize = 64;
  static constexpr std::size_t kNamesSection = 1, kBlobSection = 2;

  ElfFile() : bytes_(kSectionsAt + 3 * kSectionSize) {
    Put(0, 0x464C457F, 4);  // "\x7f" "ELF"
    Put(4, 0x010102, 3);    // 64-bit, little-endian, version 1
    Put(0x10, 3, 2);        // shared object
    Put(0x12, 62, 2);       // x86-64
    Put(0x14, 1, 4);
    Put(0x28, kSectionsAt, 8);  // section table
    Put(0x34, 64, 2);           // header size
    Put(0x3A, kSectionSize, 2);
    Put(0x3C, 3, 2);              // section count
    Put(0x3E, kNamesSection, 2);  // the names' section
    const std::string names("\0.shstrtab\0velmora_rsrc\0", 24);
    std::copy(names.begin(), names.end(), bytes_.begin() + kNamesAt);
    const std::string blob("VRES\x01\0\0\0\x0A\0\0\0\0\0\0\0\x07\0\0\0\x1C\0\0\0\x03\0\0\0abc", 31);
    std::copy(blob.begin(), blob.end(), bytes_.begin() + kBlobAt);
    Section(kNamesSection, 1, 3, kNamesAt, names.size());
    Section(kBlobSection, 11, 1, kBlobAt, blob.size());
  }

  void Put(std::size_t at, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) bytes_[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  // A field of section i's header: name 0, offset 24, size 32.
  void PutSection(std::size_t i, std::size_t field, std::uint64_t value, std::size_t size = 8) {
    Put(kSectionsAt + i * kSectionSize + field, value, size);
  }
  std::vector<std::uint8_t>& Bytes() { return bytes_; }

 private:
  void Section(std::size_t i, std::uint32_t name, std::uint32_t type, std::uint64_t offset, std::uint64_t size) {
    PutSection(i, 0, name, 4);
    PutSection(i, 4, type, 4);
    PutSection(i, 24, offset);
    PutSection(i, 32, size);
    PutSection(i, 48, 1);
  }

  std::vector<std::uint8_t> bytes_;
};

std::string Write(const TempFolder& folder, const std::vector<std::uint8_t>& bytes) {
  std::string path = folder.Path() + "/Velmora.so";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

TEST(LibraryFile, ReadsTheResourceTableOfItsSection) {
  const TempFolder folder;
  ElfFile elf;
  const host::LibraryResources resources(Write(folder, elf.Bytes()));
  const rtl::ResourceEntry* entry = resources.Directory().Find(rtl::RT_RCDATA, 7);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(std::string(entry->data.begin(), entry->data.end()), "abc");
}

struct Damage {
  std::string name;
  std::function<void(ElfFile&)> apply;
};
void PrintTo(const Damage& d, std::ostream* os) { *os << d.name; }

class DamagedLibraryFile : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedLibraryFile, IsRefusedNamingTheFile) {
  const TempFolder folder;
  ElfFile elf;
  GetParam().apply(elf);
  const std::string path = Write(folder, elf.Bytes());
  try {
    const host::LibraryResources resources(path);
    ADD_FAILURE() << "expected a ResourceError, got " << resources.Directory().Entries().size() << " entries";
  } catch (const host::ResourceError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Damages, DamagedLibraryFile,
    ::testing::Values(
        Damage{"NotElf", [](ElfFile& f) { f.Put(1, 'X', 1); }}, Damage{"Empty", [](ElfFile& f) { f.Bytes().clear(); }},
        Damage{"CutInTheSectionTable", [](ElfFile& f) { f.Bytes().resize(ElfFile::kSectionsAt + 100); }},
        Damage{"SectionTableBeyondTheEnd", [](ElfFile& f) { f.Put(0x28, kMax - 63, 8); }},
        Damage{"NamesSectionIndexBeyondTheTable", [](ElfFile& f) { f.Put(0x3E, 7, 2); }},
        // The names' offset plus a name's index wraps around to just before the file's bytes.
        Damage{"NamesOffsetWrapsAround", [](ElfFile& f) { f.PutSection(ElfFile::kNamesSection, 24, kMax - 3); }},
        Damage{"NameIndexBeyondTheNames", [](ElfFile& f) { f.PutSection(ElfFile::kBlobSection, 0, 1000, 4); }},
        Damage{"ResourceSectionBeyondTheEnd",
               [](ElfFile& f) { f.PutSection(ElfFile::kBlobSection, 24, f.Bytes().size() - 8); }},
        Damage{"ResourceSectionSizeWrapsAround",
               [](ElfFile& f) { f.PutSection(ElfFile::kBlobSection, 32, kMax - 40); }},
        Damage{"NoResourceSection", [](ElfFile& f) { f.Put(ElfFile::kNamesAt + 22, 'd', 1); }},
        Damage{"ResourceTableCountBeyondTheSection", [](ElfFile& f) { f.Put(ElfFile::kBlobAt + 4, 1000, 4); }}),
    CaseName());

}  // namespace
}  // namespace velmora::test
