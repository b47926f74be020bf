// velmora-host.exe as a program of the platform: the resources it carries,
// its dialogs' caption icons and sizes, the end of a session, and two hosts
// serving the automation classes at once.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "host/loader/win32/SystemText.h"
#include "host/services/PasswordEncoding.h"
#include "tests/support/ClassRegistry.h"
#include "tests/support/Expectations.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/TempDatabase.h"

// The platform's headers last: their macros (FreeModule, ...) would replace
// the names above.
#include "host/frontends/win32/FormWindow.h"
#include "tests/gui/HostWindows.h"
// clang-format off
#include <objbase.h>
// clang-format on

namespace velmora::test {
namespace {

constexpr wchar_t kAutomationCaption[] = L"修改密码";
const char* const kProgIds[] = {"TarnCore.FuncStorage", "TarnCore.DataCtl"};

// ---- the program's resources -------------------------------------------------

// Resource types by number (RT_MANIFEST 24, RT_GROUP_ICON 14, RT_VERSION 16): the
// platform's RT_ names are narrow here.
struct ResourceCase {
  std::string name;
  const wchar_t* type;
  const wchar_t* id;
  friend void PrintTo(const ResourceCase& c, std::ostream* out) { *out << c.name; }
};

class ProgramResources : public ::testing::TestWithParam<ResourceCase> {
 protected:
  void SetUp() override {
    const std::wstring program = host::platform::WideFromUtf8(VELMORA_HOST_PROGRAM);
    image_ = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image_, nullptr);
  }
  void TearDown() override {
    if (image_ != nullptr) FreeLibrary(image_);
  }
  // The resource's bytes, as text; empty when it has none.
  std::string Text(const wchar_t* type, const wchar_t* id) const {
    HRSRC found = FindResourceW(image_, id, type);
    if (found == nullptr) return "";
    const auto* data = static_cast<const char*>(LockResource(LoadResource(image_, found)));
    return std::string(data, SizeofResource(image_, found));
  }
  HMODULE image_ = nullptr;
};

TEST_P(ProgramResources, AreInTheProgram) { EXPECT_NE(Text(GetParam().type, GetParam().id), ""); }

INSTANTIATE_TEST_SUITE_P(
    HostProgram, ProgramResources,
    ::testing::Values(ResourceCase{"ApplicationManifest", MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1)},
                      ResourceCase{"Icon", MAKEINTRESOURCEW(14), L"MAINICON"},
                      ResourceCase{"VersionInformation", MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1)}),
    CaseName());

// The manifest asks for the common controls of version 6, per-monitor
// display scaling (version 2 where the system has it) and names the
// systems from Windows 7 to Windows 10 and 11.
TEST_F(ProgramResources, ManifestAsksForCommonControlsAndPerMonitorScaling) {
  const std::string manifest = Text(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1));
  for (const char* part : {"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", ">true/pm</dpiAware>",
                           ">PerMonitorV2, PerMonitor</dpiAwareness>", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  }
}

// ---- a shown dialog ------------------------------------------------------------

// Hosts started on a database of their own, with one user for each edition.
class ShownDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display: run under Xvfb";
    db_.AddUserWithPassword("ctxuser", "old");
    db_.AddUser("md5user", host::Md5Hex("old"));
  }

  std::unique_ptr<HostWindows> Start(const char* edition) {
    const std::string out = capture_.Path() + "/out" + std::to_string(++started_);
    return std::make_unique<HostWindows>(
        std::vector<std::string>{VELMORA_HOST_PROGRAM, "--edition", edition, "--db", db_.Path(), "--user",
                                 std::string(edition) == "context" ? "ctxuser" : "md5user"},
        out);
  }

  // Closes the dialog with its close box; the host's exit status.
  static int Close(HostWindows& host, HWND dialog) {
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    return host.WaitForExit();
  }

  TempDatabase db_;
  TempFolder capture_;
  int started_ = 0;
};

// The caption shows the library's icon, big and small, not the system's
// default: the context dialog's windows made here, in the test's own
// process (Wine answers WM_GETICON only within the window's process).
class DialogIcon : public ModuleTest {
 public:
  DialogIcon() : ModuleTest(Edition::Context) {}
};

TEST_F(DialogIcon, IsTheLibraryIcon) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no display: run under Xvfb";
  rtl::TCustomForm* form = NewDialog();
  {
    const host::win32::FormWindow window(
        *form, nullptr, [](const rtl::InputEvent&) {}, [] {});
    for (const WPARAM size : {WPARAM{ICON_BIG}, WPARAM{ICON_SMALL}}) {
      EXPECT_NE(SendMessageW(window.Handle(), WM_GETICON, size, 0), 0) << "icon size " << size;
    }
  }
  FreeDialog(form);
}

// Where a child window stands in its dialog's client area, and its size.
RECT ClientBounds(HWND dialog, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The automation dialog's error label is 92 x 12 and of fixed size: the
// text of a failed verification does not make it larger.
TEST_F(ShownDialogs, ErrorLabelKeepsItsDescribedSize) {
  const auto host = Start("automation");
  HWND dialog = host->WaitForDialog(kAutomationCaption);
  ASSERT_NE(dialog, nullptr);
  const std::vector<HWND> edits = ChildrenOfClass(dialog, L"Edit");
  const std::vector<HWND> buttons = ChildrenOfClass(dialog, L"Button");
  ASSERT_EQ(edits.size(), 3u);
  ASSERT_EQ(buttons.size(), 2u);
  // A wrong old password, walking with Enter to Modify, which Enter presses.
  const HWND next[] = {edits[1], edits[2], buttons[0]};
  for (std::size_t i = 0; i < edits.size(); ++i) {
    ASSERT_TRUE(WaitFor([&] { return host->Focus() == edits[i]; }));
    Type(edits[i], L"bad");
    PressKey(edits[i], VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return host->Focus() == next[i]; }));
  }
  PressKey(buttons[0], VK_RETURN);
  HWND box = host->WaitForMessageBox();
  ASSERT_NE(box, nullptr);
  AnswerMessageBox(box);
  HWND label = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    for (HWND s : ChildrenOfClass(dialog, L"Static")) {
      if (TextOf(s) == L"错误操作: 1 次") label = s;
    }
    return label != nullptr;
  }));
  const RECT r = ClientBounds(dialog, label);
  EXPECT_EQ(r.left, 89);
  EXPECT_EQ(r.top, 213);
  EXPECT_EQ(r.right - r.left, 92);
  EXPECT_EQ(r.bottom - r.top, 12);
  EXPECT_EQ(Close(*host, dialog), 1);
}

// The top-level windows of one process, gathered by EnumWindows (whose
// callback is CALLBACK, stdcall on 32-bit Windows, which a lambda cannot be).
struct TopLevelWindows {
  DWORD processId;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectTopLevelOf(HWND window, LPARAM data) {
  auto& found = *reinterpret_cast<TopLevelWindows*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == found.processId) found.windows.push_back(window);
  return TRUE;
}

// The system asks every top-level window of the host whether the session
// may end, as when the person logs off: the dialog ends as by its close
// box and the host ends with its clean-up (its class keys removed).
TEST_F(ShownDialogs, EndOfSessionEndsTheHostCleanly) {
  const auto host = Start("automation");
  HWND dialog = host->WaitForDialog(kAutomationCaption);
  ASSERT_NE(dialog, nullptr);
  DWORD processId = 0;
  GetWindowThreadProcessId(dialog, &processId);
  TopLevelWindows ask{processId, {}};
  EnumWindows(CollectTopLevelOf, reinterpret_cast<LPARAM>(&ask));
  for (HWND window : ask.windows) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000, &answer);
  }
  // Ended before the person did: as a dialog a script left open.
  EXPECT_EQ(host->WaitForExit(), 2);
  for (const char* progId : kProgIds) EXPECT_EQ(ClassKeyOf(progId), "") << progId;
}

// ---- two hosts serving the automation classes --------------------------------

// Whether an object of the class can be made now (by whichever host serves it).
bool Creates(const char* progId) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  CLSID clsid{};
  ::IDispatch* object = nullptr;
  const std::wstring name = host::platform::WideFromUtf8(progId);
  const bool made = SUCCEEDED(CLSIDFromProgID(name.c_str(), &clsid)) &&
                    SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                               reinterpret_cast<void**>(&object)));
  if (object != nullptr) object->Release();
  if (SUCCEEDED(init)) CoUninitialize();
  return made;
}

class TwoHosts : public ShownDialogs {
 protected:
  void SetUp() override {
    ShownDialogs::SetUp();
    if (IsSkipped()) return;
    first_ = Start("automation");
    firstDialog_ = first_->WaitForDialog(kAutomationCaption);
    ASSERT_NE(firstDialog_, nullptr);
    second_ = Start("automation");
    secondDialog_ = second_->WaitForDialog(kAutomationCaption);
    ASSERT_NE(secondDialog_, nullptr);
    ASSERT_EQ(Close(*first_, firstDialog_), 1);
  }

  std::unique_ptr<HostWindows> first_, second_;
  HWND firstDialog_ = nullptr, secondDialog_ = nullptr;
};

TEST_F(TwoHosts, TheFirstToEndLeavesTheOthersClassesServed) {
  for (const char* progId : kProgIds) {
    EXPECT_NE(ClassKeyOf(progId), "") << progId;
    EXPECT_TRUE(Creates(progId)) << progId;
  }
  EXPECT_EQ(Close(*second_, secondDialog_), 1);
}

TEST_F(TwoHosts, TheLastToEndRemovesTheClassKeys) {
  EXPECT_EQ(Close(*second_, secondDialog_), 1);
  for (const char* progId : kProgIds) EXPECT_EQ(ClassKeyOf(progId), "") << progId;
}

}  // namespace
}  // namespace velmora::test
