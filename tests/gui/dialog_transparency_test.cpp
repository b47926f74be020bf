// A label or picture described as transparent shows what lies beneath it:
// where it draws nothing of its own, its window has the colour of the panel
// or shape just beside it, not the form's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/gui/ShownDialog.h"
#include "tests/support/Expectations.h"

namespace velmora::test {
namespace {

constexpr DWORD kDpi = 96;

struct TransparentCase {
  std::string name;
  const EditionDialog* dialog;
  std::wstring caption;  // of the label; empty for the dialog's picture
};
void PrintTo(const TransparentCase& c, std::ostream* os) { *os << c.name; }

class Transparent : public ::testing::TestWithParam<TransparentCase> {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display: run under Xvfb";
  }
};

bool IsPicture(const PlacedWindow& w) {
  return _wcsicmp(w.windowClass.c_str(), L"Static") == 0 &&
         (GetWindowLongPtrW(w.window, GWL_STYLE) & SS_TYPEMASK) == SS_OWNERDRAW;
}

bool Near(COLORREF a, COLORREF b) {
  auto close = [](int x, int y) { return std::abs(x - y) <= 8; };
  return close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) && close(GetBValue(a), GetBValue(b));
}

TEST_P(Transparent, ShowsThePanelBeneathIt) {
  const TransparentCase& c = GetParam();
  ShownDialog shown(*c.dialog, kDpi);
  ASSERT_NE(shown.Window(), nullptr) << shown.Output();
  std::optional<PlacedWindow> control;
  for (const PlacedWindow& w : shown.Windows()) {
    if (c.caption.empty() ? IsPicture(w) : w.text == c.caption) control = w;
  }
  ASSERT_TRUE(control) << "no such window";
  const RECT own = shown.OnScreen(control->rect);
  const RECT dialog = shown.OnScreen({0, 0, shown.ClientSize().cx, shown.ClientSize().cy});
  const ScreenPixels screen(dialog);
  ASSERT_TRUE(screen.Captured());
  // A label's background is what most of its window shows; a picture's, its
  // corner, which the picture leaves transparent. The panel is sampled just
  // left of a label, just below a picture.
  const int middle = (own.top + own.bottom) / 2, centre = (own.left + own.right) / 2;
  const COLORREF background = c.caption.empty() ? screen.At(own.left, own.top) : screen.MostFrequent(own);
  const COLORREF panel = c.caption.empty() ? screen.At(centre, own.bottom + 3) : screen.At(own.left - 3, middle);
  EXPECT_TRUE(Near(background, panel)) << "the window shows " << ColourText(background) << ", the panel beside it "
                                       << ColourText(panel);
}

INSTANTIATE_TEST_SUITE_P(Controls, Transparent,
                         ::testing::Values(TransparentCase{"ContextOldPasswordLabel", &kContextDialog, L"旧 密 码:"},
                                           TransparentCase{"ContextConfirmationLabel", &kContextDialog, L"确认密码:"},
                                           TransparentCase{"ContextPadlock", &kContextDialog, L""},
                                           TransparentCase{"AutomationHeaderLabel", &kAutomationDialog, L"用户名称"},
                                           TransparentCase{"AutomationKey", &kAutomationDialog, L""}),
                         CaseName());

}  // namespace
}  // namespace velmora::test
