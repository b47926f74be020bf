// Each edition's dialog in real windows: velmora-host.exe shows it natively,
// the test types into its edit windows, walks them with Enter (checking
// where the focus is), presses its buttons and answers its message boxes,
// then reads the database. With VELMORA_SCREENSHOTS set to a folder of the
// build machine, a test of each edition also saves a picture of its dialog
// there, on a display of 96 and of 144 pixels per inch.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "host/services/PasswordEncoding.h"
#include "tests/gui/HostWindows.h"
#include "tests/gui/ShownDialog.h"
#include "tests/support/Expectations.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

// Each test starts the host on a database of its own and a display of the
// pixels per inch given (96 unless said), showing one edition's dialog, and
// finds its windows: three password edits and two buttons with the
// captions given.
class DialogWindows : public ::testing::Test {
 protected:
  struct Shape {
    const EditionDialog& dialog;
    const wchar_t* ok;
    const wchar_t* cancel;
  };
  DialogWindows(Shape shape, DWORD dpi) : shape_(shape), dpi_(dpi) {}

  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display: run under Xvfb";
    shown_.emplace(shape_.dialog, dpi_);
    dialog_ = shown_->Window();
    ASSERT_NE(dialog_, nullptr) << Output();
    edits_ = ChildrenOfClass(dialog_, L"Edit");
    buttons_ = ChildrenOfClass(dialog_, L"Button");
    ASSERT_EQ(edits_.size(), 3u);
    ASSERT_EQ(buttons_.size(), 2u);
    ASSERT_EQ(TextOf(buttons_[0]), shape_.ok);
    ASSERT_EQ(TextOf(buttons_[1]), shape_.cancel);
    ASSERT_TRUE(FocusOn(edits_[0], "the old password"));
  }

  // What the host wrote; complete once it has ended.
  std::string Output() const { return shown_->Output(); }
  HostWindows& App() { return shown_->App(); }
  TempDatabase& Db() { return shown_->Db(); }

  // Saves the dialog's picture when asked for (VELMORA_SCREENSHOTS).
  void Screenshot(const char* name) const {
    const char* folder = std::getenv("VELMORA_SCREENSHOTS");
    if (folder == nullptr || *folder == '\0') return;
    EXPECT_TRUE(SaveScreenshot(dialog_, std::string(folder) + "/" + name)) << name;
  }

  // Waits until the host's focus is on window.
  ::testing::AssertionResult FocusOn(HWND window, const char* what) {
    if (WaitFor([&] { return App().Focus() == window; })) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected the focus on " << what << ", got window " << App().Focus();
  }

  // Types the three passwords, walking from edit to edit with Enter.
  void FillWalkingWithEnter(const wchar_t* old) {
    Type(edits_[0], old);
    PressKey(edits_[0], VK_RETURN);
    ASSERT_TRUE(FocusOn(edits_[1], "the new password"));
    Type(edits_[1], L"new");
    PressKey(edits_[1], VK_RETURN);
    ASSERT_TRUE(FocusOn(edits_[2], "the confirmation"));
    Type(edits_[2], L"new");
  }

  // The text of the message box the host shows next, answered.
  std::wstring NextMessage() {
    HWND box = App().WaitForMessageBox();
    return box != nullptr ? AnswerMessageBox(box) : L"(no message box)";
  }

  Shape shape_;
  DWORD dpi_;
  std::optional<ShownDialog> shown_;
  HWND dialog_ = nullptr;
  std::vector<HWND> edits_;
  std::vector<HWND> buttons_;
};

class ContextDialog : public DialogWindows {
 protected:
  explicit ContextDialog(DWORD dpi = 96) : DialogWindows({kContextDialog, L"确定(&S)", L"取消(&C)"}, dpi) {}
};

// The dialogs' pictures in the documentation, at two scales.
struct PictureCase {
  std::string name;
  DWORD dpi;
  const char* file;
};
void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.name; }

class ContextDialogPicture : public ContextDialog, public ::testing::WithParamInterface<PictureCase> {
 protected:
  ContextDialogPicture() : ContextDialog(GetParam().dpi) {}
};

TEST_F(ContextDialog, EditsHideWhatIsTyped) {
  for (HWND edit : edits_) EXPECT_NE(GetWindowLongPtrW(edit, GWL_STYLE) & ES_PASSWORD, 0);
}

TEST_F(ContextDialog, EveryEditOrButtonIsATabStop) {
  for (HWND window : {edits_[0], edits_[1], edits_[2], buttons_[0], buttons_[1]}) {
    EXPECT_NE(GetWindowLongPtrW(window, GWL_STYLE) & WS_TABSTOP, 0);
  }
}

// Refused, not replaced.
TEST_F(ContextDialog, CharacterGbkLacksIsNotTyped) {
  Type(edits_[0], L"\uAC00bad");
  EXPECT_EQ(TextLength(edits_[0]), 3);
}

TEST_P(ContextDialogPicture, EnterWalksOldNewConfirmation) {
  ASSERT_NO_FATAL_FAILURE(FillWalkingWithEnter(L"bad"));
  Screenshot(GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(Scales, ContextDialogPicture,
                         ::testing::Values(PictureCase{"At96", 96, "context-dialog.png"},
                                           PictureCase{"At144", 144, "context-dialog-144.png"}),
                         CaseName());

// Enter in the confirmation is OK: the old password is wrong, its edit
// emptied and focused, the others kept; the message is echoed.
TEST_F(ContextDialog, WrongOldPasswordEmptiesItsEdit) {
  ASSERT_NO_FATAL_FAILURE(FillWalkingWithEnter(L"bad"));
  PressKey(edits_[2], VK_RETURN);
  EXPECT_EQ(NextMessage(), L"旧密码错误!请重新输入!");
  ASSERT_TRUE(FocusOn(edits_[0], "the emptied old password"));
  EXPECT_EQ(TextLength(edits_[0]), 0);
  EXPECT_EQ(TextLength(edits_[1]), 3);
  EXPECT_EQ(TextLength(edits_[2]), 3);
  PressButton(buttons_[1]);
  EXPECT_EQ(App().WaitForExit(), 1) << Output();
  EXPECT_NE(Output().find(Utf8(u8"[information] 旧密码错误!请重新输入!")), std::string::npos) << Output();
}

// Alt+S is OK's accelerator.
TEST_F(ContextDialog, AltSChangesThePassword) {
  ASSERT_NO_FATAL_FAILURE(FillWalkingWithEnter(L"old"));
  PressKey(edits_[2], 'S', true);
  EXPECT_EQ(NextMessage(), L"口令修改成功!");
  EXPECT_EQ(App().WaitForExit(), 0) << Output();
  EXPECT_EQ(Db().StoredPassword("ctxuser"), host::EncodeHostPassword("new"));
  EXPECT_NE(Output().find(Utf8(u8"[information] 口令修改成功!")), std::string::npos) << Output();
}

class AutomationDialog : public DialogWindows {
 protected:
  explicit AutomationDialog(DWORD dpi = 96) : DialogWindows({kAutomationDialog, L"修改(&M)", L"放弃(&C)"}, dpi) {}

  HWND LabelWith(const std::wstring& text) const {
    for (HWND label : ChildrenOfClass(dialog_, L"Static")) {
      if (TextOf(label) == text) return label;
    }
    return HWND{};
  }
};

TEST_F(AutomationDialog, HeaderShowsTheUsersCode) { EXPECT_NE(LabelWith(L"md5user"), nullptr); }

// Enter walks old, new, confirmation and then to Modify, which it does not press.
TEST_F(AutomationDialog, EnterWalksTheEditsThenToModify) {
  ASSERT_NO_FATAL_FAILURE(FillWalkingWithEnter(L"bad"));
  PressKey(edits_[2], VK_RETURN);
  EXPECT_TRUE(FocusOn(buttons_[0], "Modify"));
}

class AutomationDialogPicture : public AutomationDialog, public ::testing::WithParamInterface<PictureCase> {
 protected:
  AutomationDialogPicture() : AutomationDialog(GetParam().dpi) {}
};

// Enter on the focused Modify presses it: the old password is wrong, and
// counted; the warning is echoed.
TEST_P(AutomationDialogPicture, EnterOnModifyPressesIt) {
  ASSERT_NO_FATAL_FAILURE(FillWalkingWithEnter(L"bad"));
  PressKey(edits_[2], VK_RETURN);
  ASSERT_TRUE(FocusOn(buttons_[0], "Modify"));
  PressKey(buttons_[0], VK_RETURN);
  EXPECT_EQ(NextMessage(), L"原密码错误！");
  EXPECT_TRUE(WaitFor([&] { return LabelWith(L"错误操作: 1 次") != nullptr; }));
  Screenshot(GetParam().file);
  PressButton(buttons_[1]);
  EXPECT_EQ(App().WaitForExit(), 1) << Output();
  EXPECT_NE(Output().find(Utf8(u8"[warning] 原密码错误！")), std::string::npos) << Output();
}

INSTANTIATE_TEST_SUITE_P(Scales, AutomationDialogPicture,
                         ::testing::Values(PictureCase{"At96", 96, "automation-dialog.png"},
                                           PictureCase{"At144", 144, "automation-dialog-144.png"}),
                         CaseName());

// A click into the old password focuses it, and Backspace deletes there.
TEST_F(AutomationDialog, ClickedEditTakesBackspace) {
  ASSERT_NO_FATAL_FAILURE(FillWalkingWithEnter(L"bad"));
  ClickAt(edits_[0]);
  ASSERT_TRUE(FocusOn(edits_[0], "the clicked old password"));
  for (int i = 0; i < 3; ++i) PressKey(edits_[0], VK_BACK);
  EXPECT_TRUE(WaitFor([&] { return TextLength(edits_[0]) == 0; }));
}

TEST_F(AutomationDialog, PressedModifyChangesThePassword) {
  ASSERT_NO_FATAL_FAILURE(FillWalkingWithEnter(L"old"));
  PressButton(buttons_[0]);
  EXPECT_EQ(NextMessage(), L"密码修改成功！");
  EXPECT_EQ(App().WaitForExit(), 0) << Output();
  EXPECT_EQ(Db().StoredPassword("md5user"), host::Md5Hex("new"));
  EXPECT_NE(Output().find(Utf8(u8"[information] 密码修改成功！")), std::string::npos) << Output();
}

}  // namespace
}  // namespace velmora::test
