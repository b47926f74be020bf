// The host's loader in-process: which edition a library is, read from its
// resources, and the pictures of its descriptions decoded for drawing.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "contract/VelmoraContract.h"
#include "host/loader/Edition.h"
#include "host/loader/LibraryResources.h"
#include "host/loader/LoadedModule.h"
#include "host/loader/Pictures.h"
#include "tests/support/Expectations.h"
#include "tests/support/LibraryPaths.h"
#include "tests/support/ResourceBlob.h"

namespace velmora::test {
namespace {

// ---- editions ------------------------------------------------------------------

TEST(HostEdition, IsReadFromTheLibrarysEditionMark) {
  EXPECT_EQ(host::DetectEdition(host::LibraryResources(kContextLibrary).Directory()), host::Edition::Context);
  EXPECT_EQ(host::DetectEdition(host::LibraryResources(kAutomationLibrary).Directory()), host::Edition::Automation);
}

struct UnmarkedCase {
  std::string name;
  std::vector<Res> resources;
};
void PrintTo(const UnmarkedCase& c, std::ostream* os) { *os << c.name; }

class UnmarkedLibrary : public ::testing::TestWithParam<UnmarkedCase> {};

// Nothing but a well-formed mark says the edition.
TEST_P(UnmarkedLibrary, IsOfNoEdition) {
  const std::vector<std::uint8_t> blob = BuildBlob(GetParam().resources);
  EXPECT_THROW(host::DetectEdition(rtl::ResourceDirectory(blob)), host::LoadError);
}

INSTANTIATE_TEST_SUITE_P(
    Marks, UnmarkedLibrary,
    ::testing::Values(
        UnmarkedCase{"ADialogsDescriptionAlone", {{rtl::RT_RCDATA, "TFRMCP", 0, Bytes("object FrmCP: TFrmCP\nend")}}},
        UnmarkedCase{"AShortMark", {{rtl::RT_RCDATA, velmora::EditionResource, 0, {2, 0}}}},
        UnmarkedCase{"AMarkOfAnUnknownKind", {{rtl::RT_RCDATA, velmora::EditionResource, 0, {3, 0, 0, 0}}}}),
    CaseName());

// ---- pictures ---------------------------------------------------------------

void Put(std::vector<std::uint8_t>& b, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A 2 x 2 DIB, bottom row first: 4 bits with a palette (black, red) and a
// mask making the top-left pixel transparent, or 32 bits with alpha.
std::vector<std::uint8_t> Dib(int bits, bool withMask) {
  std::vector<std::uint8_t> b;
  Put(b, 40, 4), Put(b, 2, 4), Put(b, withMask ? 4 : 2, 4), Put(b, 1, 2), Put(b, static_cast<std::uint32_t>(bits), 2);
  Put(b, 0, 4), Put(b, 0, 4), Put(b, 0, 4), Put(b, 0, 4), Put(b, bits == 4 ? 2 : 0, 4), Put(b, 0, 4);
  if (bits == 4) {
    Put(b, 0x000000, 4), Put(b, 0x00FF0000, 4);  // black, red (B G R 0)
    Put(b, 0x10, 4);                             // bottom row: red, black
    Put(b, 0x01, 4);                             // top row: black, red
  } else {
    Put(b, 0x80FF0000, 4), Put(b, 0x00000000, 4);  // bottom row: half-transparent red, transparent
    Put(b, 0xFF0000FF, 4), Put(b, 0xFF00FF00, 4);  // top row: blue, green
  }
  if (withMask) Put(b, 0, 4), Put(b, 0x80, 4);  // bottom row opaque; top-left transparent
  return b;
}

std::vector<std::uint8_t> IconPicture(const std::vector<std::pair<int, std::vector<std::uint8_t>>>& images) {
  std::vector<std::uint8_t> p{5, 'T', 'I', 'c', 'o', 'n'};
  Put(p, 0, 2), Put(p, 1, 2), Put(p, static_cast<std::uint32_t>(images.size()), 2);
  auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (const auto& [bits, dib] : images) {
    p.insert(p.end(), {2, 2, 0, 0});
    Put(p, 1, 2), Put(p, static_cast<std::uint32_t>(bits), 2), Put(p, static_cast<std::uint32_t>(dib.size()), 4);
    Put(p, offset, 4);
    offset += static_cast<std::uint32_t>(dib.size());
  }
  for (const auto& image : images) p.insert(p.end(), image.second.begin(), image.second.end());
  return p;
}

// The 32-bit image, top row first, with its own alpha.
TEST(Pictures, IconPrefersTheImageWithMostColours) {
  const host::Picture icon = host::IconOfPicture(IconPicture({{4, Dib(4, true)}, {32, Dib(32, true)}}), 2);
  EXPECT_EQ(icon.pixels, (std::vector<std::uint32_t>{0xFF0000FF, 0xFF00FF00, 0x80FF0000, 0x00000000}));
}

TEST(Pictures, PremultipliedScalesEachColourByItsAlpha) {
  const host::Picture icon = host::IconOfPicture(IconPicture({{4, Dib(4, true)}, {32, Dib(32, true)}}), 2);
  EXPECT_EQ(host::Premultiplied(icon), (std::vector<std::uint32_t>{0xFF0000FF, 0xFF00FF00, 0x80800000, 0x00000000}));
}

TEST(Pictures, PalettedIconHonoursItsMask) {
  const host::Picture paletted = host::IconOfPicture(IconPicture({{4, Dib(4, true)}}), 2);
  EXPECT_EQ(paletted.pixels, (std::vector<std::uint32_t>{0x00000000, 0xFFFF0000, 0xFFFF0000, 0xFF000000}));
  EXPECT_EQ(paletted.bitCount, 4);
}

TEST(Pictures, GlyphWithoutAnyAlphaIsOpaque) {
  std::vector<std::uint8_t> dib = Dib(32, false);
  for (std::size_t i = 40; i < dib.size(); i += 4) dib[i + 3] = 0;
  std::vector<std::uint8_t> glyph;
  Put(glyph, static_cast<std::uint32_t>(14 + dib.size()), 4);
  glyph.insert(glyph.end(), {'B', 'M'});
  Put(glyph, static_cast<std::uint32_t>(14 + dib.size()), 4), Put(glyph, 0, 4), Put(glyph, 54, 4);
  glyph.insert(glyph.end(), dib.begin(), dib.end());
  const host::Picture picture = host::GlyphOfData(glyph);
  for (std::uint32_t p : picture.pixels) EXPECT_EQ(p >> 24, 0xFFu);
}

// Cut at every length short of the whole.
TEST(Pictures, CutIconIsRefused) {
  const std::vector<std::uint8_t> whole = IconPicture({{4, Dib(4, true)}});
  for (std::size_t length = 0; length < whole.size(); ++length) {
    const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_THROW(host::IconOfPicture(cut, 2), host::ResourceError) << "cut to " << length << " bytes";
  }
}

TEST(Pictures, PictureOfAnotherClassIsRefused) {
  std::vector<std::uint8_t> bitmapClass = IconPicture({{4, Dib(4, true)}});
  bitmapClass[1] = 'B';
  EXPECT_THROW(host::IconOfPicture(bitmapClass, 2), host::ResourceError);
}

TEST(Pictures, IconWiderThanItsDataIsRefused) {
  std::vector<std::uint8_t> huge = IconPicture({{4, Dib(4, true)}});
  huge[6 + 6 + 16 + 4] = 0xFF, huge[6 + 6 + 16 + 5] = 0xFF;  // the width
  EXPECT_THROW(host::IconOfPicture(huge, 2), host::ResourceError);
}

TEST(Pictures, GlyphLongerThanItsDataIsRefused) {
  const std::vector<std::uint8_t> overlong{0xFF, 0xFF, 0xFF, 0xFF, 'B', 'M'};
  EXPECT_THROW(host::GlyphOfData(overlong), host::ResourceError);
}

}  // namespace
}  // namespace velmora::test
