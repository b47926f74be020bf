// The host's front ends in-process: keys and characters turned into the
// form's input, where a form's controls lie in its client area, what a front
// end presents of them, and the text a terminal receives.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "host/frontends/ControlView.h"
#include "host/frontends/FormLayout.h"
#include "host/frontends/KeyboardInput.h"
#include "host/frontends/ScaledPicture.h"
#include "host/frontends/TerminalText.h"
#include "runtime/controls/ExtCtrls.h"
#include "runtime/controls/StdCtrls.h"
#include "tests/support/Expectations.h"

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

struct KeyboardCase {
  std::string name;
  std::vector<Stroke> strokes;  // one after the other into one KeyboardInput
};
void PrintTo(const KeyboardCase& c, std::ostream* os) { *os << c.name; }

class Keyboard : public ::testing::TestWithParam<KeyboardCase> {};

TEST_P(Keyboard, TurnsMessagesIntoTheFormsInput) {
  KeyboardInput input;
  int step = 0;
  for (const Stroke& s : GetParam().strokes) {
    SCOPED_TRACE("stroke " + std::to_string(step++));
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

INSTANTIATE_TEST_SUITE_P(
    Strokes, Keyboard,
    ::testing::Values(
        KeyboardCase{"EnterIsAKeyWhoseCharacterIsNotTypedAgain",
                     {{ST::Key, rtl::VK_RETURN, {}, Action::Deliver}, {ST::Char, u'\r', {}, Action::Swallow}}},
        KeyboardCase{"AKeysCharacterSentOnItsOwnIsThatKey", {{ST::Char, u'\r', {}, Action::Deliver}}},
        KeyboardCase{"SpaceOnceAsAKeyThenTypedAlone",
                     {{ST::Key, rtl::VK_SPACE, {}, Action::Deliver},
                      {ST::Char, u' ', {}, Action::Swallow},
                      {ST::Char, u' ', {}, Action::Deliver, Kind::Text, " "}}},
        KeyboardCase{"LettersOrChineseBecomeGbkText",
                     {{ST::Key, 'A', {}, Action::Deliver},
                      {ST::Char, u'a', {}, Action::Deliver, Kind::Text, "a"},
                      {ST::Char, u'中', {}, Action::Deliver, Kind::Text, "中"}}},
        KeyboardCase{"ACharacterGbkHasNotIsRefused", {{ST::Char, 0xAC00, {}, Action::Refuse}}},
        KeyboardCase{"OutsideTheBasicPlaneIsRefusedWhole",
                     {{ST::Char, 0xD83D, {}, Action::Swallow},
                      {ST::Char, 0xDE00, {}, Action::Refuse},
                      {ST::Char, 0xDE00, {}, Action::Refuse}}},
        KeyboardCase{"AltLetterIsAnAcceleratorItsCharacterSwallowed",
                     {{ST::SysKey, 'S', kAlt, Action::Deliver}, {ST::SysChar, u's', {}, Action::Swallow}}},
        KeyboardCase{"AltF4OrAltSpaceStaysTheSystems",
                     {{ST::SysKey, 115, kAlt, Action::Default},
                      {ST::SysKey, rtl::VK_SPACE, kAlt, Action::Default},
                      {ST::SysChar, u' ', {}, Action::Default}}},
        KeyboardCase{"CtrlEnterTypesItsControlCharacterForTheEditToRefuse",
                     {{ST::Key, rtl::VK_RETURN, kCtrl, Action::Deliver},
                      {ST::Char, u'\n', {}, Action::Deliver, Kind::Text, "\n"}}}),
    CaseName());

// ---- layout -----------------------------------------------------------------

class LayoutForm : public rtl::TForm {
 public:
  LayoutForm(int width, int height) : TForm(nullptr) { Width = width, Height = height; }
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

// The context dialog's shape: a client-filling panel, a strip at its bottom
// with a button anchored bottom right, a header on top, a label beside.
class Layout : public ::testing::Test {
 protected:
  LayoutForm form_{342, 188};
  rtl::TWinControl* panel_ = form_.Add<rtl::TWinControl>(&form_, rtl::TAlign::Client, {0, 0, 334, 161});
  rtl::TWinControl* strip_ = form_.Add<rtl::TWinControl>(panel_, rtl::TAlign::Bottom, {0, 127, 334, 34});
  rtl::TButton* button_ =
      form_.Add<rtl::TButton>(strip_, rtl::TAlign::None, {241, 3, 81, 25}, {false, false, true, true});
  rtl::TShape* header_ = form_.Add<rtl::TShape>(panel_, rtl::TAlign::Top, {0, 0, 334, 40});
  rtl::TLabel* label_ = form_.Add<rtl::TLabel>(panel_, rtl::TAlign::None, {57, 58, 0, 0});
};

TEST_F(Layout, DesignSizeKeepsTheDesignedPlaces) {
  EXPECT_EQ(host::DesignedClientArea(form_), (host::Bounds{0, 0, 334, 161}));
  const auto design = host::LayOut(form_, 334, 161);
  EXPECT_EQ(design.at(strip_), (host::Bounds{0, 127, 334, 34}));
  EXPECT_EQ(design.at(button_), (host::Bounds{241, 130, 81, 25}));
}

TEST_F(Layout, AlignedControlsFillALargerClientArea) {
  const auto larger = host::LayOut(form_, 434, 201);
  EXPECT_EQ(larger.at(panel_), (host::Bounds{0, 0, 434, 201}));
  EXPECT_EQ(larger.at(header_), (host::Bounds{0, 0, 434, 40}));
  EXPECT_EQ(larger.at(strip_), (host::Bounds{0, 167, 434, 34}));
}

TEST_F(Layout, AnchoredControlsKeepTheirDistanceFromTheirEdges) {
  const auto larger = host::LayOut(form_, 434, 201);
  EXPECT_EQ(larger.at(button_), (host::Bounds{341, 170, 81, 25}));
  EXPECT_EQ(larger.at(label_), (host::Bounds{57, 58, 0, 0}));
}

TEST_F(Layout, HiddenControlLeavesItsRoomToTheRest) {
  strip_->SetVisible(false);
  auto* rest = form_.Add<rtl::TWinControl>(panel_, rtl::TAlign::Client, {0, 40, 334, 87});
  EXPECT_EQ(host::LayOut(form_, 334, 161).at(rest), (host::Bounds{0, 40, 334, 121}));
}

// On a display of 144 pixels per inch a form made for 96 is 1.5 times as
// large: its client area, every control's place and size, the anchors kept.
TEST_F(Layout, LargerDisplayScalesEveryPlaceAndSize) {
  const host::Scale larger{144, 96};
  EXPECT_EQ(host::DesignedClientArea(form_, larger), (host::Bounds{0, 0, 501, 242}));
  const auto placed = host::LayOut(form_, 501, 242, larger);
  EXPECT_EQ(placed.at(strip_), (host::Bounds{0, 191, 501, 51}));
  EXPECT_EQ(placed.at(button_), (host::Bounds{362, 196, 121, 37}));
  EXPECT_EQ(placed.at(header_), (host::Bounds{0, 0, 501, 60}));
  EXPECT_EQ(placed.at(label_), (host::Bounds{86, 87, 0, 0}));
}

// Scaled by edges, not by sizes: rounding leaves no gap between them.
TEST(Scale, ControlsThatTouchStillTouch) {
  const host::Scale larger{144, 96};
  const host::Bounds left = larger(host::Bounds{0, 0, 3, 3}), right = larger(host::Bounds{3, 0, 3, 3});
  EXPECT_EQ(left.left + left.width, right.left);
}

struct ScaleCase {
  std::string name;
  host::Scale scale;
  int designed, scaled, fontHeight;  // fontHeight: designed taken as a font's height
};
void PrintTo(const ScaleCase& c, std::ostream* os) { *os << c.name; }

class ScaledLength : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaledLength, RoundsToTheNearestPixelAndFontsDown) {
  EXPECT_EQ(GetParam().scale(GetParam().designed), GetParam().scaled);
  EXPECT_EQ(GetParam().scale.FontHeight(GetParam().designed), GetParam().fontHeight);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ScaledLength,
                         ::testing::Values(ScaleCase{"SameDisplay", {96, 96}, 13, 13, 13},
                                           ScaleCase{"HalfUpAwayFromNought", {144, 96}, 3, 5, 4},
                                           ScaleCase{"NegativeHalfAwayFromNought", {144, 96}, -13, -20, -19},
                                           ScaleCase{"Exact", {144, 96}, -12, -18, -18},
                                           ScaleCase{"Smaller", {96, 120}, 100, 80, 80},
                                           ScaleCase{"Nought", {144, 96}, 0, 0, 0}),
                         CaseName());

TEST(Scale, OfAFormIsTheDisplaysOverTheDescriptions) {
  LayoutForm form(300, 200);
  form.PixelsPerInch = 120;
  EXPECT_EQ(host::ScaleOf(form, 144), (host::Scale{144, 120}));
}

TEST(Scale, OfAFormNotScaledChangesNothing) {
  LayoutForm form(300, 200);
  form.Scaled = false;
  const host::Scale scale = host::ScaleOf(form, 144);
  EXPECT_EQ(scale(100), 100);
}

TEST(DesignedClientArea, IsTheOuterSizeLessTheFrame) {
  LayoutForm form(300, 227);
  EXPECT_EQ(host::DesignedClientArea(form), (host::Bounds{0, 0, 292, 200}));
}

TEST(DesignedClientArea, DescribedClientSizeWinsOverTheOuterSize) {
  LayoutForm form(300, 227);
  form.ClientWidth = 267, form.ClientHeight = 231;
  EXPECT_EQ(host::DesignedClientArea(form), (host::Bounds{0, 0, 267, 231}));
}

// ---- pictures at another scale ----------------------------------------------

host::Picture Filled(int width, int height, std::vector<std::uint32_t> pixels) {
  return host::Picture{width, height, 32, std::move(pixels)};
}

TEST(Resampled, SameSizeIsThePictureItself) {
  const host::Picture p = Filled(2, 1, {0xFF102030, 0x80405060});
  EXPECT_EQ(host::Resampled(p, 2, 1).pixels, p.pixels);
}

TEST(Resampled, OneColourStaysThatColour) {
  const host::Picture p = Filled(2, 2, std::vector<std::uint32_t>(4, 0xFF336699));
  EXPECT_EQ(host::Resampled(p, 3, 3).pixels, std::vector<std::uint32_t>(9, 0xFF336699));
}

// The middle pixel covers half of each: half as opaque, the red alone.
TEST(Resampled, TransparentPixelLendsNoColour) {
  const host::Picture p = Filled(2, 1, {0xFFFF0000, 0x0000FF00});
  const host::Picture larger = host::Resampled(p, 3, 1);
  EXPECT_EQ(larger.pixels[0], 0xFFFF0000u);
  EXPECT_EQ(larger.pixels[1] & 0xFFFFFFu, 0xFF0000u);
  EXPECT_NEAR(static_cast<double>(larger.pixels[1] >> 24), 127.5, 0.5);
  EXPECT_EQ(larger.pixels[2], 0u);
}

TEST(Resampled, SmallerAveragesWhatEachPixelCovers) {
  const host::Picture p = Filled(2, 2, {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000});
  EXPECT_EQ(host::Resampled(p, 1, 1).pixels, std::vector<std::uint32_t>{0xFF808080});
}

TEST(Resampled, SizeOutsideTheBoundsRaises) {
  const host::Picture p = Filled(1, 1, {0xFF000000});
  EXPECT_THROW(host::Resampled(p, 0, 1), std::invalid_argument);
  EXPECT_THROW(host::Resampled(p, 1, host::kMaxScaledSide + 1), std::invalid_argument);
}

// ---- what a front end presents of a form ------------------------------------

// A panel at (10, 20) holding an edit at (5, 6), and a label on the form.
class ControlViews : public ::testing::Test {
 protected:
  LayoutForm form_{300, 200};
  rtl::TWinControl* panel_ = form_.Add<rtl::TWinControl>(&form_, rtl::TAlign::None, {10, 20, 200, 100});
  rtl::TEdit* edit_ = form_.Add<rtl::TEdit>(panel_, rtl::TAlign::None, {5, 6, 80, 21});
  rtl::TLabel* label_ = form_.Add<rtl::TLabel>(&form_, rtl::TAlign::None, {7, 8, 0, 0});

  // The view of control.
  host::ControlView ViewOf(const rtl::TControl* control) const {
    for (const host::ControlView& view : host::ViewControls(form_)) {
      if (view.control == control) return view;
    }
    ADD_FAILURE() << "no view of the control";
    return {};
  }
};

TEST_F(ControlViews, ListsEachParentBeforeItsChildrenAtTheirPlaceOnTheForm) {
  std::vector<std::tuple<rtl::TControl*, host::ControlKind, int, int, int>> got;
  for (const host::ControlView& v : host::ViewControls(form_))
    got.emplace_back(v.control, v.kind, v.depth, v.left, v.top);
  EXPECT_EQ(got, (std::vector<std::tuple<rtl::TControl*, host::ControlKind, int, int, int>>{
                     {panel_, host::ControlKind::Panel, 0, 10, 20},
                     {edit_, host::ControlKind::Edit, 1, 15, 26},
                     {label_, host::ControlKind::Label, 0, 7, 8}}));
}

TEST_F(ControlViews, HiddenParentHidesItsChildren) {
  panel_->SetVisible(false);
  EXPECT_FALSE(ViewOf(edit_).shown);
  EXPECT_TRUE(ViewOf(label_).shown);
}

TEST_F(ControlViews, DisabledParentDisablesItsChildren) {
  panel_->SetEnabled(false);
  EXPECT_FALSE(ViewOf(edit_).enabled);
  EXPECT_TRUE(ViewOf(label_).enabled);
}

TEST_F(ControlViews, FocusIsTheFormsActiveControl) {
  form_.SetVisible(true);
  form_.SetActiveControl(edit_);
  EXPECT_TRUE(ViewOf(edit_).focused);
  EXPECT_FALSE(ViewOf(panel_).focused);
}

TEST_F(ControlViews, PasswordEditShowsItsMask) {
  edit_->PasswordChar = '*';
  edit_->SetText("密码");
  EXPECT_EQ(host::ShownText(*edit_), "**") << Readable(host::ShownText(*edit_));
}

// ---- text for a terminal ------------------------------------------------------

// Every byte below 0x20, and 0x7F: what could drive a terminal.
std::string ControlCharacters() {
  std::string all;
  for (char c = 0; c < 0x20; ++c) all.push_back(c);
  return all + '\x7f';
}

std::string Replacements(std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += Utf8(u8"\uFFFD");
  return out;
}

TEST(TerminalText, ShowsEveryControlCharacterAsAReplacement) {
  EXPECT_EQ(host::TerminalText(ControlCharacters()), Replacements(33));
  EXPECT_EQ(host::TerminalText("a\x1b[2Jb\x7f "), Utf8(u8"a\uFFFD[2Jb\uFFFD "));
}

TEST(TerminalText, ShowsGbkTextAsUtf8) {
  EXPECT_EQ(host::TerminalText("旧密码错误!请重新输入!"), Utf8(u8"旧密码错误!请重新输入!"));
}

TEST(TerminalUtf8, ShowsEveryControlCharacterAsAReplacement) {
  EXPECT_EQ(host::TerminalUtf8(ControlCharacters()), Replacements(33));
  EXPECT_EQ(host::TerminalUtf8(Utf8(u8"密\a码\x7f")), Utf8(u8"密\uFFFD码\uFFFD"));
}

struct MessageCase {
  std::string name;
  rtl::TMsgKind kind;
  const char8_t* line;
};
void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.name; }

class MessageLine : public ::testing::TestWithParam<MessageCase> {};

TEST_P(MessageLine, NamesTheKindBeforeTheText) {
  EXPECT_EQ(host::MessageLine("口令修改成功!", GetParam().kind), Utf8(GetParam().line));
}

INSTANTIATE_TEST_SUITE_P(Kinds, MessageLine,
                         ::testing::Values(MessageCase{"Information", rtl::TMsgKind::Information,
                                                       u8"[information] 口令修改成功!"},
                                           MessageCase{"Warning", rtl::TMsgKind::Warning, u8"[warning] 口令修改成功!"},
                                           MessageCase{"Error", rtl::TMsgKind::Error, u8"[error] 口令修改成功!"}),
                         CaseName());

TEST(MessageLineText, ShowsControlCharactersAsReplacements) {
  EXPECT_EQ(host::MessageLine("a\r\nb\x1b]0;x\a\x7f", rtl::TMsgKind::Warning),
            Utf8(u8"[warning] a\uFFFD\uFFFDb\uFFFD]0;x\uFFFD\uFFFD"));
}

}  // namespace
}  // namespace velmora::test
