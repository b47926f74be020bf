// What a window system front end needs and every platform can test: keys
// and characters turned into the form's input, pictures of the descriptions
// decoded for drawing, and where a form's controls lie in its client area.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/frontends/FormLayout.h"
#include "host/frontends/KeyboardInput.h"
#include "host/loader/Pictures.h"
#include "runtime/controls/ExtCtrls.h"
#include "runtime/controls/StdCtrls.h"

namespace velmora::test {
namespace {

using host::KeyboardInput;
using Action = KeyboardInput::Action;
using Kind = rtl::InputEvent::Kind;

// ---- keyboard ---------------------------------------------------------------

struct Stroke {
  enum class Type { Key, SysKey, Char, SysChar } type;
  std::uint16_t code;  // key code or UTF-16 code unit
  rtl::TShiftState shift{};
  Action action;
  Kind kind = Kind::Key;  // of the delivered event
  rtl::AnsiString text{};
};

using ST = Stroke::Type;
constexpr rtl::TShiftState kAlt{false, true, false};
constexpr rtl::TShiftState kCtrl{false, false, true};

TEST(Keyboard, TurnsMessagesIntoTheFormsInput) {
  const struct {
    const char* name;
    std::vector<Stroke> strokes;
  } cases[] = {
      {"EnterIsAKeyAndItsCharacterIsNotTypedAgain",
       {{ST::Key, rtl::VK_RETURN, {}, Action::Deliver}, {ST::Char, u'\r', {}, Action::Swallow}}},
      {"AKeysCharacterSentOnItsOwnIsThatKey", {{ST::Char, u'\r', {}, Action::Deliver}}},
      {"SpaceOnceAsAKeyThenTypedAlone",
       {{ST::Key, rtl::VK_SPACE, {}, Action::Deliver},
        {ST::Char, u' ', {}, Action::Swallow},
        {ST::Char, u' ', {}, Action::Deliver, Kind::Text, " "}}},
      {"LettersAndChineseBecomeGbkText",
       {{ST::Key, 'A', {}, Action::Deliver},
        {ST::Char, u'a', {}, Action::Deliver, Kind::Text, "a"},
        {ST::Char, u'中', {}, Action::Deliver, Kind::Text, "中"}}},
      {"ACharacterGbkHasNotIsRefused", {{ST::Char, 0xAC00, {}, Action::Refuse}}},
      {"OutsideTheBasicPlaneIsRefusedWhole",
       {{ST::Char, 0xD83D, {}, Action::Swallow},
        {ST::Char, 0xDE00, {}, Action::Refuse},
        {ST::Char, 0xDE00, {}, Action::Refuse}}},
      {"AltLetterIsAnAcceleratorItsCharacterSwallowed",
       {{ST::SysKey, 'S', kAlt, Action::Deliver}, {ST::SysChar, u's', {}, Action::Swallow}}},
      {"AltF4AndAltSpaceStayTheSystems",
       {{ST::SysKey, 115, kAlt, Action::Default},
        {ST::SysKey, rtl::VK_SPACE, kAlt, Action::Default},
        {ST::SysChar, u' ', {}, Action::Default}}},
      {"CtrlEnterTypesItsControlCharacterForTheEditToRefuse",
       {{ST::Key, rtl::VK_RETURN, kCtrl, Action::Deliver}, {ST::Char, u'\n', {}, Action::Deliver, Kind::Text, "\n"}}}};
  for (const auto& c : cases) {
    KeyboardInput input;
    int step = 0;
    for (const Stroke& s : c.strokes) {
      SCOPED_TRACE(std::string(c.name) + ", stroke " + std::to_string(step++));
      const KeyboardInput::Result r = s.type == ST::Key || s.type == ST::SysKey
                                          ? input.KeyDown(s.code, s.shift, s.type == ST::SysKey)
                                          : input.Char(static_cast<char16_t>(s.code), s.type == ST::SysChar);
      ASSERT_EQ(r.action, s.action);
      if (s.action != Action::Deliver) continue;
      EXPECT_EQ(r.event.kind, s.kind);
      if (s.kind == Kind::Key) {
        EXPECT_EQ(r.event.key, s.code);
        EXPECT_EQ(r.event.shift.alt, s.shift.alt);
        EXPECT_EQ(r.event.shift.ctrl, s.shift.ctrl);
      } else {
        EXPECT_EQ(r.event.text, s.text);
      }
    }
  }
}

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

TEST(Pictures, IconPrefersMostColoursAndHonoursItsMask) {
  const host::Picture icon = host::IconOfPicture(IconPicture({{4, Dib(4, true)}, {32, Dib(32, true)}}), 2);
  // The 32-bit image, top row first, with its own alpha.
  EXPECT_EQ(icon.pixels, (std::vector<std::uint32_t>{0xFF0000FF, 0xFF00FF00, 0x80FF0000, 0x00000000}));
  EXPECT_EQ(host::Premultiplied(icon), (std::vector<std::uint32_t>{0xFF0000FF, 0xFF00FF00, 0x80800000, 0x00000000}));

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

TEST(Pictures, CutOrForeignDataIsRefused) {
  const std::vector<std::uint8_t> whole = IconPicture({{4, Dib(4, true)}});
  for (std::size_t length = 0; length < whole.size(); ++length) {
    const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_THROW(host::IconOfPicture(cut, 2), host::ResourceError) << "cut to " << length << " bytes";
  }
  std::vector<std::uint8_t> bitmapClass = whole;
  bitmapClass[1] = 'B';
  EXPECT_THROW(host::IconOfPicture(bitmapClass, 2), host::ResourceError);
  std::vector<std::uint8_t> huge = whole;
  huge[6 + 6 + 16 + 4] = 0xFF, huge[6 + 6 + 16 + 5] = 0xFF;  // the width
  EXPECT_THROW(host::IconOfPicture(huge, 2), host::ResourceError);
  const std::vector<std::uint8_t> overlong{0xFF, 0xFF, 0xFF, 0xFF, 'B', 'M'};
  EXPECT_THROW(host::GlyphOfData(overlong), host::ResourceError);
}

// ---- layout -----------------------------------------------------------------

class LayoutForm : public rtl::TForm {
 public:
  LayoutForm() : TForm(nullptr) {}
  template <class T>
  T* Add(rtl::TWinControl* parent, rtl::TAlign align, host::Bounds b, rtl::TAnchors anchors = {}) {
    auto* c = new T(this);
    c->SetParent(parent);
    c->Align = align;
    c->Left = b.left, c->Top = b.top, c->Width = b.width, c->Height = b.height;
    c->Anchors = anchors;
    return c;
  }
};

TEST(Layout, AlignedControlsFillAndAnchoredOnesKeepTheirDistance) {
  // The context dialog's shape: a client-filling panel, a strip at its bottom
  // with a button anchored bottom right, a header on top, a label beside.
  LayoutForm form;
  form.Width = 342, form.Height = 188;
  auto* panel = form.Add<rtl::TWinControl>(&form, rtl::TAlign::Client, {0, 0, 334, 161});
  auto* strip = form.Add<rtl::TWinControl>(panel, rtl::TAlign::Bottom, {0, 127, 334, 34});
  auto* button = form.Add<rtl::TButton>(strip, rtl::TAlign::None, {241, 3, 81, 25}, {false, false, true, true});
  auto* header = form.Add<rtl::TShape>(panel, rtl::TAlign::Top, {0, 0, 334, 40});
  auto* label = form.Add<rtl::TLabel>(panel, rtl::TAlign::None, {57, 58, 0, 0});

  EXPECT_EQ(host::DesignedClientArea(form), (host::Bounds{0, 0, 334, 161}));
  const auto design = host::LayOut(form, 334, 161);
  EXPECT_EQ(design.at(strip), (host::Bounds{0, 127, 334, 34}));
  EXPECT_EQ(design.at(button), (host::Bounds{241, 130, 81, 25}));

  const auto larger = host::LayOut(form, 434, 201);
  EXPECT_EQ(larger.at(panel), (host::Bounds{0, 0, 434, 201}));
  EXPECT_EQ(larger.at(header), (host::Bounds{0, 0, 434, 40}));
  EXPECT_EQ(larger.at(strip), (host::Bounds{0, 167, 434, 34}));
  EXPECT_EQ(larger.at(button), (host::Bounds{341, 170, 81, 25}));
  EXPECT_EQ(larger.at(label), (host::Bounds{57, 58, 0, 0}));

  // A hidden strip leaves its room to the rest.
  strip->SetVisible(false);
  auto* rest = form.Add<rtl::TWinControl>(panel, rtl::TAlign::Client, {0, 40, 334, 87});
  EXPECT_EQ(host::LayOut(form, 334, 161).at(rest), (host::Bounds{0, 40, 334, 121}));
}

TEST(Layout, DescribedClientSizeWinsOverTheOuterSize) {
  LayoutForm form;
  form.Width = 300, form.Height = 227;
  EXPECT_EQ(host::DesignedClientArea(form), (host::Bounds{0, 0, 292, 200}));
  form.ClientWidth = 267, form.ClientHeight = 231;
  EXPECT_EQ(host::DesignedClientArea(form), (host::Bounds{0, 0, 267, 231}));
}

}  // namespace
}  // namespace velmora::test
