// The automation edition's four entry points, the lifetime of the two server
// references it keeps, its load and unload, and the resources of its file.
#include <algorithm>
#include <climits>

#include "host/LibraryResources.h"
#include "runtime/controls/ExtCtrls.h"
#include "runtime/forms/Application.h"
#include "tests/automation/AutomationFixture.h"
#include "tests/automation/FakeServers.h"
#include "tests/support/LibraryPaths.h"

namespace velmora::test {
namespace {

constexpr std::int32_t kKindSentinel = -77;

rtl::TCustomForm* SentinelForm() { return reinterpret_cast<rtl::TCustomForm*>(std::uintptr_t{0x5A5A5A50}); }

std::size_t FormsOwned() { return rtl::Application->ComponentCount(); }

// A form of another module, owned like the dialogs by the application object.
class ForeignForm final : public rtl::TForm {
 public:
  explicit ForeignForm(rtl::TComponent* owner) : TForm(owner) {}
};

std::string Joined(const std::vector<std::string>& events) {
  std::string out = "[";
  for (const std::string& e : events) out += (out.size() > 1 ? ", " : "") + e;
  return out + "]";
}

class AutomationEntryPoints : public AutomationModuleTest {
 protected:
  void ExpectLifecycle(const std::vector<std::string>& expected) {
    EXPECT_EQ(servers_.lifecycle, expected)
        << "expected " << Joined(expected) << ", got " << Joined(servers_.lifecycle);
  }

  FakeServers servers_;
};

using CreateModuleEntry = AutomationEntryPoints;

TEST_F(CreateModuleEntry, WritesDialogAndDisplayKindTwoWhateverTheIgnoredArguments) {
  const std::array<std::int32_t, 5> ignoredSets[] = {
      {0, 0, 0, 0, 0}, {1, 2, 3, 4, 5}, {-1, INT_MIN, INT_MAX, 0x7F7F7F7F, -2}};
  for (const auto& ignored : ignoredSets) {
    SCOPED_TRACE(::testing::Message() << "ignored arguments " << ignored[0] << ", " << ignored[1] << ", " << ignored[2]
                                      << ", " << ignored[3] << ", " << ignored[4]);
    rtl::TCustomForm* form = SentinelForm();
    std::int32_t kind = kKindSentinel;
    const std::int32_t status = CreateModule(&form, &kind, ignored);
    EXPECT_EQ(status, 0) << "expected 0, got " << status;
    EXPECT_EQ(kind, 2) << "expected display kind 2, got " << kind;
    ASSERT_NE(form, SentinelForm()) << "expected the dialog to be written, got the sentinel back";
    ASSERT_TRUE(rtl::Application->Owns(form)) << "expected a dialog owned by Application, got a foreign reference";
    EXPECT_STREQ(form->ClassName(), "TFrmCP");
    EXPECT_FALSE(form->Visible()) << "expected the dialog hidden until the host shows it, got it visible";
    FreeDialog(form);
  }
}

TEST_F(CreateModuleEntry, NullOutAddressesFailWithoutWritingOrStartingServers) {
  rtl::TCustomForm* form = SentinelForm();
  std::int32_t kind = kKindSentinel;

  std::int32_t status = CreateModule(nullptr, &kind);
  EXPECT_NE(status, 0) << "expected a failure for a null form address, got 0";
  EXPECT_EQ(kind, kKindSentinel) << "expected the display kind untouched, got " << kind;

  status = CreateModule(&form, nullptr);
  EXPECT_NE(status, 0) << "expected a failure for a null display-kind address, got 0";
  EXPECT_EQ(form, SentinelForm()) << "expected the form reference untouched, got it overwritten";
  EXPECT_EQ(FormsOwned(), 0u) << "expected 0 dialogs made, got " << FormsOwned();
  ExpectLifecycle({});
}

TEST_F(CreateModuleEntry, DialogShowsTheUsersNameAndCode) {
  servers_.userName = rtl::Variant(u"张三");
  servers_.userId = rtl::Variant(u"zs001");
  rtl::TCustomForm* form = NewDialog();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(CaptionOf(*form, "UserName"), "张三")
      << "expected UserName \"张三\", got " << Readable(CaptionOf(*form, "UserName"));
  EXPECT_EQ(CaptionOf(*form, "UserID"), "zs001")
      << "expected UserID \"zs001\", got " << Readable(CaptionOf(*form, "UserID"));
  EXPECT_EQ(ErrorCountOf(*form), 0);
  FreeDialog(form);
}

struct CreateFailureCase {
  const char* name;
  std::function<void(FakeServers&)> arrange;
};
void PrintTo(const CreateFailureCase& c, std::ostream* os) { *os << c.name; }

class CreateModuleFailure : public AutomationEntryPoints, public ::testing::WithParamInterface<CreateFailureCase> {};

TEST_P(CreateModuleFailure, ReturnsFailureWritesNothingAndLeavesNoDialog) {
  GetParam().arrange(servers_);
  rtl::TCustomForm* form = SentinelForm();
  std::int32_t kind = kKindSentinel;
  const std::int32_t status = CreateModule(&form, &kind);
  EXPECT_NE(status, 0) << "expected a failure status, got 0";
  EXPECT_EQ(form, SentinelForm()) << "expected the form reference untouched, got it overwritten";
  EXPECT_EQ(kind, kKindSentinel) << "expected the display kind untouched, got " << kind;
  EXPECT_EQ(FormsOwned(), 0u) << "expected no dialog left behind, got " << FormsOwned();

  // The library still has made no form, so FreeModule does not look at the reference.
  auto* foreign = new ForeignForm(rtl::Application);
  rtl::TCustomForm* reference = foreign;
  const std::int32_t freed = FreeModule(&reference);
  EXPECT_EQ(freed, 0) << "expected FreeModule to return 0 as before any dialog, got " << freed;
  EXPECT_TRUE(rtl::Application->Owns(foreign)) << "expected the foreign form kept, got it destroyed";
  rtl::Free(foreign);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, CreateModuleFailure,
    ::testing::Values(
        CreateFailureCase{"FuncStorageNotRegistered", [](FakeServers& s) { s.Unregister(kFuncStorageProgId); }},
        CreateFailureCase{"DataCtlNotRegistered", [](FakeServers& s) { s.Unregister(kDataCtlProgId); }},
        CreateFailureCase{"FuncStorageFactoryFails", [](FakeServers& s) { s.funcStorageFactoryResult = rtl::E_FAIL; }},
        CreateFailureCase{"DataCtlFactoryFails", [](FakeServers& s) { s.dataCtlFactoryResult = rtl::E_OUTOFMEMORY; }},
        CreateFailureCase{"UserNameFails", [](FakeServers& s) { s.failUserName = true; }},
        CreateFailureCase{"UserIdFails", [](FakeServers& s) { s.failUserIdCall = 1; }},
        CreateFailureCase{"UserNameIsNull", [](FakeServers& s) { s.userName = rtl::Variant::Null(); }}),
    CaseName());

using FreeModuleEntry = AutomationEntryPoints;

// SetUp loads the library afresh, so no CreateModule has run in it yet.
TEST_F(FreeModuleEntry, BeforeAnyCreateModuleReturnsZeroAndDestroysNothing) {
  auto* foreign = new ForeignForm(rtl::Application);
  struct Case {
    const char* name;
    rtl::TCustomForm** address;
  };
  rtl::TCustomForm* garbage = SentinelForm();
  rtl::TCustomForm* live = foreign;
  const Case cases[] = {{"null address", nullptr}, {"garbage reference", &garbage}, {"live foreign form", &live}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::int32_t status = FreeModule(c.address);
    EXPECT_EQ(status, 0) << "expected 0, got " << status;
    EXPECT_EQ(FormsOwned(), 1u) << "expected the foreign form kept, got " << FormsOwned() << " forms";
  }
  EXPECT_EQ(garbage, SentinelForm());
  EXPECT_EQ(live, foreign);
  rtl::Free(foreign);
}

TEST_F(FreeModuleEntry, EmptyReferenceDestroysNothing) {
  rtl::TCustomForm* dialog = NewDialog();
  rtl::TCustomForm* empty = nullptr;
  const std::int32_t status = FreeModule(&empty);
  EXPECT_EQ(status, 0) << "expected 0, got " << status;
  EXPECT_EQ(FormsOwned(), 1u) << "expected the dialog kept, got " << FormsOwned() << " forms";
  EXPECT_EQ(empty, nullptr);
  FreeDialog(dialog);
}

TEST_F(FreeModuleEntry, TwoDialogsAreDistinctAndEachIsDestroyedOnlyWhenNamed) {
  rtl::TCustomForm* older = NewDialog();
  rtl::TCustomForm* newer = NewDialog();
  ASSERT_NE(older, nullptr);
  ASSERT_NE(newer, nullptr);
  EXPECT_NE(older, newer) << "expected two distinct dialogs, got the same one twice";

  rtl::TCustomForm* variable = older;
  std::int32_t status = FreeModule(&variable);
  EXPECT_EQ(status, 0) << "expected 0, got " << status;
  EXPECT_EQ(variable, older) << "expected the host variable to keep its value, got it changed";
  EXPECT_FALSE(rtl::Application->Owns(older)) << "expected the named (older) dialog destroyed, got it alive";
  EXPECT_TRUE(rtl::Application->Owns(newer)) << "expected the newer dialog kept, got it destroyed";

  variable = newer;
  status = FreeModule(&variable);
  EXPECT_EQ(status, 0) << "expected 0, got " << status;
  EXPECT_EQ(FormsOwned(), 0u) << "expected both dialogs destroyed, got " << FormsOwned() << " forms";
}

TEST_F(FreeModuleEntry, StaleOrForeignReferenceFailsAndDestroysNothing) {
  rtl::TCustomForm* kept = NewDialog();
  rtl::TCustomForm* stale = NewDialog();
  FreeDialog(stale);  // made while kept was alive, so kept cannot reuse its address
  auto* foreignOwned = new ForeignForm(rtl::Application);
  const rtl::Owned<ForeignForm> unowned(new ForeignForm(nullptr));
  struct Case {
    const char* name;
    rtl::TCustomForm* reference;
  };
  const Case cases[] = {{"already freed dialog", stale},
                        {"foreign form owned by Application", foreignOwned},
                        {"form owned by nobody", unowned.get()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rtl::TCustomForm* variable = c.reference;
    const std::int32_t status = FreeModule(&variable);
    EXPECT_NE(status, 0) << "expected a failure, got 0";
    EXPECT_EQ(FormsOwned(), 2u) << "expected the dialog and the foreign form kept, got " << FormsOwned() << " forms";
    EXPECT_EQ(variable, c.reference);
  }
  rtl::Free(foreignOwned);
  FreeDialog(kept);
}

using DoNothingEntries = AutomationEntryPoints;

TEST_F(DoNothingEntries, GetModuleInfoAndRefreshModuleReturnZeroAndWriteNothing) {
  rtl::TCustomForm* dialog = NewDialog();
  for (const auto& [a, b] : {std::pair{0, 0}, std::pair{-1, INT_MAX}, std::pair{INT_MIN, 42}}) {
    SCOPED_TRACE(::testing::Message() << "arguments " << a << ", " << b);
    std::array<char, 64> buffer;
    buffer.fill('\x7f');
    char* address = buffer.data();
    std::int32_t status = GetModuleInfo(a, &address);
    EXPECT_EQ(status, 0) << "expected GetModuleInfo to return 0, got " << status;
    EXPECT_EQ(address, buffer.data()) << "expected the host's pointer untouched, got it moved";
    const auto written = std::find_if(buffer.begin(), buffer.end(), [](char c) { return c != '\x7f'; });
    EXPECT_EQ(written, buffer.end()) << "expected the buffer untouched, got a byte changed at offset "
                                     << (written - buffer.begin());
    status = GetModuleInfo(a, nullptr);
    EXPECT_EQ(status, 0) << "expected GetModuleInfo to return 0 without reading its arguments, got " << status;
    status = RefreshModule(a, b);
    EXPECT_EQ(status, 0) << "expected RefreshModule to return 0, got " << status;
  }
  EXPECT_EQ(FormsOwned(), 1u) << "expected the dialog kept, got " << FormsOwned() << " forms";
  ExpectLifecycle({"create FuncStorage#1", "create DataCtl#1"});
  FreeDialog(dialog);
}

using ServerReferences = AutomationEntryPoints;

TEST_F(ServerReferences, EachDialogReplacesBothServersReleasingThePreviousOnes) {
  rtl::TCustomForm* first = NewDialog();
  ExpectLifecycle({"create FuncStorage#1", "create DataCtl#1"});
  rtl::TCustomForm* second = NewDialog();
  ExpectLifecycle({"create FuncStorage#1", "create DataCtl#1", "create FuncStorage#2", "release FuncStorage#1",
                   "create DataCtl#2", "release DataCtl#1"});
  FreeDialog(first);
  FreeDialog(second);
  EXPECT_EQ(servers_.Released("FuncStorage") + servers_.Released("DataCtl"), 2)
      << "expected freeing the dialogs to release no server, got " << Joined(servers_.lifecycle);
}

TEST_F(ServerReferences, UnloadAfterFreeModuleReleasesDataCtlBeforeFuncStorage) {
  FreeDialog(NewDialog());
  ExpectLifecycle({"create FuncStorage#1", "create DataCtl#1"});
  Unload();
  EXPECT_FALSE(LibraryIsLoaded()) << "expected the library unloaded, got it still mapped";
  ExpectLifecycle({"create FuncStorage#1", "create DataCtl#1", "release DataCtl#1", "release FuncStorage#1"});
}

TEST_F(ServerReferences, UnloadWithoutAnyDialogReleasesNothingAndReloads) {
  Unload();
  EXPECT_FALSE(LibraryIsLoaded()) << "expected the library unloaded, got it still mapped";
  ExpectLifecycle({});
  module_ = std::make_unique<host::LoadedModule>(kAutomationLibrary);
  servers_.StorePassword(kMd5Old);
  const DialogRun run = RunDialog(FillIn("old", "new", "new", {Click("BtnModify")}));
  const std::vector<rtl::AnsiString> changed{kPasswordChanged};
  EXPECT_EQ(run.messages, changed) << ExpectedGot(changed, run.messages);
}

TEST(AutomationLibraryFile, MainIconIsOne32By32ImageOfFourBitsPerPixelAndThereIsNoVersion) {
  const host::LibraryResources resources(kAutomationLibrary);
  const std::vector<host::IconPicture> images = host::LoadGroupIcon(resources.Directory(), "MAINICON");
  ASSERT_EQ(images.size(), 1u) << "expected 1 image, got " << images.size();
  EXPECT_EQ(images[0].width, 32);
  EXPECT_EQ(images[0].height, 32);
  EXPECT_EQ(images[0].bitCount, 4) << "expected 4 bits per pixel, got " << images[0].bitCount;
  const auto& entries = resources.Directory().Entries();
  const auto version = std::count_if(entries.begin(), entries.end(),
                                     [](const rtl::ResourceEntry& e) { return e.type == rtl::RT_VERSION; });
  EXPECT_EQ(version, 0) << "expected no version resource, got " << version;
}

TEST_F(AutomationEntryPoints, ImageListHolds233ImagesOf16By16) {
  rtl::TCustomForm* form = NewDialog();
  ASSERT_NE(form, nullptr);
  const auto* images = dynamic_cast<const rtl::TImageList*>(form->FindComponent("ImageList1"));
  ASSERT_NE(images, nullptr) << "expected an image list named ImageList1, got none";
  EXPECT_EQ(images->Count(), 233) << "expected 233 images, got " << images->Count();
  EXPECT_EQ(images->Width, 16);
  EXPECT_EQ(images->Height, 16);
  FreeDialog(form);
}

}  // namespace
}  // namespace velmora::test
