// Each edition's dialog on displays of 96 and 144 pixels per inch: every
// window keeps its place relative to the others, 1.5 times as large and as
// far at 144 as at 96 within a pixel or two, and every caption fits its
// window at both.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "tests/gui/ShownDialog.h"
#include "tests/support/Expectations.h"

namespace velmora::test {
namespace {

constexpr DWORD kDesignDpi = 96, kLargeDpi = 144;
constexpr int kSlack = 2;  // pixels lost or gained in rounding, and in the font's own proportions

std::string Described(const PlacedWindow& w) {
  return Readable(rtl::WideString(w.windowClass.begin(), w.windowClass.end())) + " " +
         Readable(rtl::WideString(w.text.begin(), w.text.end()));
}

std::string RectText(const RECT& r) {
  std::ostringstream text;
  text << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
  return text.str();
}

// At 144 where 96 puts it, scaled by 1.5.
bool Scaled(int at96, int at144) { return std::abs(at96 * 3 / 2 - at144) <= kSlack; }

// Edits, buttons and labels with a caption: what a person reads and uses.
bool Meaningful(const PlacedWindow& w) {
  if (_wcsicmp(w.windowClass.c_str(), L"Edit") == 0 || _wcsicmp(w.windowClass.c_str(), L"Button") == 0) return true;
  return _wcsicmp(w.windowClass.c_str(), L"Static") == 0 && !w.text.empty();
}

bool Overlap(const RECT& a, const RECT& b) {
  RECT common{};
  return IntersectRect(&common, &a, &b) != 0;
}

int Sign(int value) { return (value > 0) - (value < 0); }

struct EditionCase {
  std::string name;
  const EditionDialog* dialog;
};
void PrintTo(const EditionCase& c, std::ostream* os) { *os << c.name; }

class ScaledDialog : public ::testing::TestWithParam<EditionCase> {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display: run under Xvfb";
  }

  // The dialog's windows at dpi; the host ends before this returns.
  static std::vector<PlacedWindow> WindowsAt(const EditionDialog& dialog, DWORD dpi, SIZE* client = nullptr) {
    ShownDialog shown(dialog, dpi);
    EXPECT_NE(shown.Window(), nullptr) << shown.Output();
    if (shown.Window() == nullptr) return {};
    if (client != nullptr) *client = shown.ClientSize();
    return shown.Windows();
  }
};

TEST_P(ScaledDialog, EveryWindowScalesByThePixelsPerInch) {
  SIZE small{}, large{};
  const auto at96 = WindowsAt(*GetParam().dialog, kDesignDpi, &small);
  const auto at144 = WindowsAt(*GetParam().dialog, kLargeDpi, &large);
  ASSERT_FALSE(at96.empty());
  ASSERT_EQ(at96.size(), at144.size());
  EXPECT_TRUE(Scaled(small.cx, large.cx) && Scaled(small.cy, large.cy))
      << "client area " << small.cx << " x " << small.cy << " at 96, " << large.cx << " x " << large.cy << " at 144";
  for (std::size_t i = 0; i < at96.size(); ++i) {
    const RECT& a = at96[i].rect;
    const RECT& b = at144[i].rect;
    ASSERT_EQ(at96[i].windowClass, at144[i].windowClass) << i;
    EXPECT_TRUE(Scaled(a.left, b.left) && Scaled(a.top, b.top) && Scaled(a.right, b.right) &&
                Scaled(a.bottom, b.bottom))
        << Described(at96[i]) << ": " << RectText(a) << " at 96, " << RectText(b) << " at 144";
  }
}

TEST_P(ScaledDialog, EditsButtonsAndLabelsKeepTheirOrderWithoutOverlapping) {
  const auto at96 = WindowsAt(*GetParam().dialog, kDesignDpi);
  const auto at144 = WindowsAt(*GetParam().dialog, kLargeDpi);
  ASSERT_FALSE(at96.empty());
  ASSERT_EQ(at96.size(), at144.size());
  for (std::size_t i = 0; i < at96.size(); ++i) {
    if (!Meaningful(at96[i])) continue;
    for (std::size_t j = i + 1; j < at96.size(); ++j) {
      if (!Meaningful(at96[j])) continue;
      const std::string pair = Described(at96[i]) + " and " + Described(at96[j]);
      EXPECT_FALSE(Overlap(at96[i].rect, at96[j].rect)) << pair << " at 96";
      EXPECT_FALSE(Overlap(at144[i].rect, at144[j].rect)) << pair << " at 144";
      EXPECT_EQ(Sign(at96[i].rect.left - at96[j].rect.left), Sign(at144[i].rect.left - at144[j].rect.left)) << pair;
      EXPECT_EQ(Sign(at96[i].rect.top - at96[j].rect.top), Sign(at144[i].rect.top - at144[j].rect.top)) << pair;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Editions, ScaledDialog,
                         ::testing::Values(EditionCase{"Context", &kContextDialog},
                                           EditionCase{"Automation", &kAutomationDialog}),
                         CaseName());

struct CaptionCase {
  std::string name;
  const EditionDialog* dialog;
  DWORD dpi;
};
void PrintTo(const CaptionCase& c, std::ostream* os) { *os << c.name; }

class Captions : public ::testing::TestWithParam<CaptionCase> {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display: run under Xvfb";
  }
};

// Each label's and button's caption, in the description's font at the
// display's scale (its height rounded toward nought), fits the window that
// shows it.
TEST_P(Captions, FitTheirWindows) {
  const CaptionCase& c = GetParam();
  ShownDialog shown(*c.dialog, c.dpi);
  ASSERT_NE(shown.Window(), nullptr) << shown.Output();
  const int height = c.dialog->fontHeight * static_cast<int>(c.dpi) / static_cast<int>(kDesignDpi);
  HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"宋体");
  HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, font);
  int captions = 0;
  for (const PlacedWindow& w : shown.Windows()) {
    if (!Meaningful(w) || _wcsicmp(w.windowClass.c_str(), L"Edit") == 0) continue;
    ++captions;
    RECT extent{0, 0, 0, 0};
    DrawTextW(dc, w.text.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE);
    RECT client{};
    GetClientRect(w.window, &client);
    EXPECT_LE(extent.right, client.right) << Described(w) << ": width";
    EXPECT_LE(extent.bottom, client.bottom) << Described(w) << ": height";
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(font);
  EXPECT_GE(captions, 5);
}

INSTANTIATE_TEST_SUITE_P(Scales, Captions,
                         ::testing::Values(CaptionCase{"ContextAt96", &kContextDialog, kDesignDpi},
                                           CaptionCase{"ContextAt144", &kContextDialog, kLargeDpi},
                                           CaptionCase{"AutomationAt96", &kAutomationDialog, kDesignDpi},
                                           CaptionCase{"AutomationAt144", &kAutomationDialog, kLargeDpi}),
                         CaseName());

}  // namespace
}  // namespace velmora::test
