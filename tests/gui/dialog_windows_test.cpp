// Each edition's dialog in real windows: velmora-host.exe shows it natively,
// the test types into its edit windows, walks them with Enter (checking
// where the focus is), presses its buttons and answers its message boxes,
// then reads the database. With VELMORA_SCREENSHOTS set to a folder of the
// build machine, each test also saves a picture of its dialog there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "host/services/PasswordEncoding.h"
#include "tests/gui/HostWindows.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

class DialogWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display: run under Xvfb";
    db_.AddUserWithPassword("ctxuser", "old");
    db_.AddUser("md5user", host::Md5Hex("old"));
  }

  std::vector<std::string> HostArgs(const char* edition, const char* user) const {
    return {VELMORA_HOST_PROGRAM, "--edition", edition, "--db", db_.Path(), "--user", user};
  }
  std::string OutPath() const { return capture_.Path() + "/out"; }
  std::string Output() const {
    std::ostringstream text;
    text << std::ifstream(OutPath(), std::ios::binary).rdbuf();
    return text.str();
  }

  // Saves the dialog's picture when asked for (VELMORA_SCREENSHOTS).
  static void Screenshot(HWND dialog, const char* name) {
    const char* folder = std::getenv("VELMORA_SCREENSHOTS");
    if (folder == nullptr || *folder == '\0') return;
    EXPECT_TRUE(SaveScreenshot(dialog, std::string(folder) + "/" + name)) << name;
  }

  // A dialog's windows: its three password edits, and its two buttons with
  // the captions given.
  struct DialogWindowsOf {
    HWND dialog = nullptr;
    std::vector<HWND> edits;
    std::vector<HWND> buttons;
  };
  void Open(HostWindows& app, const wchar_t* caption, const wchar_t* ok, const wchar_t* cancel,
            DialogWindowsOf& found) {
    found.dialog = app.WaitForDialog(caption);
    ASSERT_NE(found.dialog, nullptr) << Output();
    found.edits = ChildrenOfClass(found.dialog, L"Edit");
    found.buttons = ChildrenOfClass(found.dialog, L"Button");
    ASSERT_EQ(found.edits.size(), 3u);
    ASSERT_EQ(found.buttons.size(), 2u);
    EXPECT_EQ(TextOf(found.buttons[0]), ok);
    EXPECT_EQ(TextOf(found.buttons[1]), cancel);
  }

  // Waits until the host's focus is on window.
  ::testing::AssertionResult FocusOn(const HostWindows& app, HWND window, const char* what) {
    if (WaitFor([&] { return app.Focus() == window; })) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected the focus on " << what << ", got window " << app.Focus();
  }

  TempDatabase db_;
  TempFolder capture_;
};

TEST_F(DialogWindows, ContextEdition) {
  HostWindows app(HostArgs("context", "ctxuser"), OutPath());
  DialogWindowsOf found;
  ASSERT_NO_FATAL_FAILURE(Open(app, L"修改登录密码", L"确定(&S)", L"取消(&C)", found));
  const auto& [dialog, edits, buttons] = found;
  for (HWND edit : edits) EXPECT_NE(GetWindowLongPtrW(edit, GWL_STYLE) & ES_PASSWORD, 0);
  for (HWND window : {edits[0], edits[1], edits[2], buttons[0], buttons[1]}) {
    EXPECT_NE(GetWindowLongPtrW(window, GWL_STYLE) & WS_TABSTOP, 0);
  }

  // Enter walks old, new, confirmation; a character GBK has not is refused, not replaced.
  ASSERT_TRUE(FocusOn(app, edits[0], "the old password"));
  Type(edits[0], L"\uAC00bad");
  EXPECT_EQ(TextLength(edits[0]), 3);
  PressKey(edits[0], VK_RETURN);
  ASSERT_TRUE(FocusOn(app, edits[1], "the new password"));
  Type(edits[1], L"new");
  PressKey(edits[1], VK_RETURN);
  ASSERT_TRUE(FocusOn(app, edits[2], "the confirmation"));
  Type(edits[2], L"new");
  Screenshot(dialog, "context-dialog.png");

  // Enter in the confirmation is OK: the old password is wrong.
  PressKey(edits[2], VK_RETURN);
  HWND box = app.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(AnswerMessageBox(box), L"旧密码错误!请重新输入!");
  ASSERT_TRUE(FocusOn(app, edits[0], "the emptied old password"));
  EXPECT_EQ(TextLength(edits[0]), 0);
  EXPECT_EQ(TextLength(edits[1]), 3);
  EXPECT_EQ(TextLength(edits[2]), 3);

  // Alt+S is OK's accelerator.
  Type(edits[0], L"old");
  PressKey(edits[0], 'S', true);
  box = app.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(AnswerMessageBox(box), L"口令修改成功!");
  EXPECT_EQ(app.WaitForExit(), 0) << Output();
  EXPECT_EQ(db_.StoredPassword("ctxuser"), host::EncodeHostPassword("new"));
  const std::string out = Output();
  EXPECT_NE(out.find(Utf8(u8"[information] 旧密码错误!请重新输入!")), std::string::npos) << out;
  EXPECT_NE(out.find(Utf8(u8"[information] 口令修改成功!")), std::string::npos) << out;
}

TEST_F(DialogWindows, AutomationEdition) {
  HostWindows app(HostArgs("automation", "md5user"), OutPath());
  DialogWindowsOf found;
  ASSERT_NO_FATAL_FAILURE(Open(app, L"修改密码", L"修改(&M)", L"放弃(&C)", found));
  const auto& [dialog, edits, buttons] = found;
  auto labelWith = [&](const std::wstring& text) {
    for (HWND label : ChildrenOfClass(dialog, L"Static")) {
      if (TextOf(label) == text) return label;
    }
    return HWND{};
  };
  EXPECT_NE(labelWith(L"md5user"), nullptr) << "the user's code in the header";

  // Enter walks old, new, confirmation and then to Modify, which it does not press.
  ASSERT_TRUE(FocusOn(app, edits[0], "the old password"));
  Type(edits[0], L"bad");
  PressKey(edits[0], VK_RETURN);
  ASSERT_TRUE(FocusOn(app, edits[1], "the new password"));
  Type(edits[1], L"new");
  PressKey(edits[1], VK_RETURN);
  ASSERT_TRUE(FocusOn(app, edits[2], "the confirmation"));
  Type(edits[2], L"new");
  PressKey(edits[2], VK_RETURN);
  ASSERT_TRUE(FocusOn(app, buttons[0], "Modify"));

  // Enter on the focused Modify presses it: the old password is wrong, and counted.
  PressKey(buttons[0], VK_RETURN);
  HWND box = app.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(AnswerMessageBox(box), L"原密码错误！");
  EXPECT_TRUE(WaitFor([&] { return labelWith(L"错误操作: 1 次") != nullptr; }));
  Screenshot(dialog, "automation-dialog.png");

  // A click into the old password, Backspace empties it, then Modify with the right one.
  ClickAt(edits[0]);
  ASSERT_TRUE(FocusOn(app, edits[0], "the clicked old password"));
  for (int i = 0; i < 3; ++i) PressKey(edits[0], VK_BACK);
  EXPECT_TRUE(WaitFor([&] { return TextLength(edits[0]) == 0; }));
  Type(edits[0], L"old");
  PressButton(buttons[0]);
  box = app.WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(AnswerMessageBox(box), L"密码修改成功！");
  EXPECT_EQ(app.WaitForExit(), 0) << Output();
  EXPECT_EQ(db_.StoredPassword("md5user"), host::Md5Hex("new"));
  const std::string out = Output();
  EXPECT_NE(out.find(Utf8(u8"[warning] 原密码错误！")), std::string::npos) << out;
  EXPECT_NE(out.find(Utf8(u8"[information] 密码修改成功！")), std::string::npos) << out;
}

}  // namespace
}  // namespace velmora::test
