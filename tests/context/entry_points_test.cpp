// The context edition's four entry points, its load and unload, and the
// resources of its library file.
#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "host/LibraryResources.h"
#include "runtime/forms/Application.h"
#include "tests/context/FakeHostContext.h"
#include "tests/context/ModuleFixture.h"
#include "tests/support/LibraryPaths.h"

namespace velmora::test {
namespace {

constexpr std::int32_t kKindSentinel = -77;
constexpr char kDescriptor[] = "Corvane,Logic(业务管理),Pellith(参合门诊报销登记),2(1),";

rtl::TCustomForm* SentinelForm() { return reinterpret_cast<rtl::TCustomForm*>(std::uintptr_t{0x5A5A5A50}); }

std::size_t FormsOwned() { return rtl::Application->ComponentCount(); }

// A form of another module, owned like the dialogs by the application object.
class ForeignForm final : public rtl::TForm {
 public:
  explicit ForeignForm(rtl::TComponent* owner) : TForm(owner) {}
};

bool LibraryIsLoaded() {
  void* handle = dlopen(kContextLibrary, RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

using CreateModuleEntry = ContextModuleTest;

TEST_F(CreateModuleEntry, WritesDialogAndDisplayKindOneWhateverTheIgnoredArguments) {
  const std::array<std::int32_t, 5> ignoredSets[] = {
      {0, 0, 0, 0, 0}, {1, 2, 3, 4, 5}, {-1, INT_MIN, INT_MAX, 0x7F7F7F7F, -2}};
  FakeHostContext context("demo");
  for (const auto& ignored : ignoredSets) {
    SCOPED_TRACE(::testing::Message() << "ignored arguments " << ignored[0] << ", " << ignored[1] << ", "
                                      << ignored[2] << ", " << ignored[3] << ", " << ignored[4]);
    rtl::TCustomForm* form = SentinelForm();
    std::int32_t kind = kKindSentinel;
    const std::int32_t status = CreateModule(&form, &context, &kind, ignored);
    EXPECT_EQ(status, 0) << "expected 0, got " << status;
    EXPECT_EQ(kind, 1) << "expected display kind 1, got " << kind;
    ASSERT_NE(form, SentinelForm()) << "expected the dialog to be written, got the sentinel back";
    ASSERT_TRUE(rtl::Application->Owns(form)) << "expected a dialog owned by Application, got a foreign reference";
    EXPECT_STREQ(form->ClassName(), "TEditLogPaswrdForm");
    EXPECT_FALSE(form->Visible()) << "expected the dialog hidden until the host shows it, got it visible";
    FreeDialog(form);
  }
}

TEST_F(CreateModuleEntry, NullOutAddressesFailWithoutWriting) {
  FakeHostContext context("demo");
  rtl::TCustomForm* form = SentinelForm();
  std::int32_t kind = kKindSentinel;

  std::int32_t status = CreateModule(nullptr, &context, &kind);
  EXPECT_NE(status, 0) << "expected a failure for a null form address, got 0";
  EXPECT_EQ(kind, kKindSentinel) << "expected the display kind untouched, got " << kind;

  status = CreateModule(&form, &context, nullptr);
  EXPECT_NE(status, 0) << "expected a failure for a null display-kind address, got 0";
  EXPECT_EQ(form, SentinelForm()) << "expected the form reference untouched, got it overwritten";
  EXPECT_EQ(FormsOwned(), 0u) << "expected 0 dialogs made, got " << FormsOwned();
}

TEST_F(CreateModuleEntry, TwoCallsGiveDistinctDialogsThatBothWorkThroughTheSecondContext) {
  FakeHostContext first("first");
  FakeHostContext second("second");
  second.StorePassword("right");
  rtl::TCustomForm* dialog1 = NewDialog(first);
  rtl::TCustomForm* dialog2 = NewDialog(second);
  ASSERT_NE(dialog1, nullptr);
  ASSERT_NE(dialog2, nullptr);
  EXPECT_NE(dialog1, dialog2) << "expected two distinct dialogs, got the same one twice";

  const DialogRun run1 = Show(*dialog1, Fill("wrong", "n", "n", {Click("btnOK")}));
  const DialogRun run2 = Show(*dialog2, Fill("wrong", "n", "n", {Click("btnOK")}));

  const std::vector<rtl::AnsiString> twice{kOldPasswordWrong, kOldPasswordWrong};
  EXPECT_EQ(second.prompt->texts, twice) << ExpectedGot(twice, second.prompt->texts);
  EXPECT_EQ(second.openSql.size(), 2u) << "expected 2 queries through the second context, got "
                                        << second.openSql.size();
  EXPECT_TRUE(first.openSql.empty() && first.encodeInputs.empty() && first.prompt->texts.empty())
      << "expected the first context unused, got " << first.openSql.size() << " queries, "
      << first.encodeInputs.size() << " encodings, " << first.prompt->texts.size() << " prompts";
  FreeDialog(dialog1);
  FreeDialog(dialog2);
}

using FreeModuleEntry = ContextModuleTest;

// SetUp loads the library afresh (LibraryLifetime shows it really goes away).
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
  FakeHostContext context("demo");
  rtl::TCustomForm* dialog = NewDialog(context);
  rtl::TCustomForm* empty = nullptr;
  const std::int32_t status = FreeModule(&empty);
  EXPECT_EQ(status, 0) << "expected 0, got " << status;
  EXPECT_EQ(FormsOwned(), 1u) << "expected the dialog kept, got " << FormsOwned() << " forms";
  EXPECT_EQ(empty, nullptr);
  FreeDialog(dialog);
}

TEST_F(FreeModuleEntry, DestroysTheNamedDialogAndLeavesTheHostVariable) {
  FakeHostContext context("demo");
  rtl::TCustomForm* older = NewDialog(context);
  rtl::TCustomForm* newer = NewDialog(context);
  rtl::TCustomForm* variable = older;
  const std::int32_t status = FreeModule(&variable);
  EXPECT_EQ(status, 0) << "expected 0, got " << status;
  EXPECT_EQ(variable, older) << "expected the host variable to keep its value, got it changed";
  EXPECT_FALSE(rtl::Application->Owns(older)) << "expected the named (older) dialog destroyed, got it alive";
  EXPECT_TRUE(rtl::Application->Owns(newer)) << "expected the newer dialog kept, got it destroyed";
  FreeDialog(newer);
}

TEST_F(FreeModuleEntry, StaleOrForeignReferenceFailsAndDestroysNothing) {
  FakeHostContext context("demo");
  rtl::TCustomForm* kept = NewDialog(context);
  rtl::TCustomForm* stale = NewDialog(context);
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
    EXPECT_EQ(FormsOwned(), 2u) << "expected the dialog and the foreign form kept, got " << FormsOwned()
                                << " forms";
    EXPECT_EQ(variable, c.reference);
  }
  rtl::Free(foreignOwned);
  FreeDialog(kept);
}

using GetModuleInfoEntry = ContextModuleTest;

TEST_F(GetModuleInfoEntry, WritesTheDescriptorAndOneNulOnlyWhateverTheFirstArgument) {
  for (const std::int32_t first : {0, 1, -1, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(::testing::Message() << "first argument " << first);
    std::array<char, 256> buffer;
    buffer.fill('\x7f');
    char* address = buffer.data();
    const std::int32_t status = GetModuleInfo(first, &address);
    EXPECT_EQ(status, 0) << "expected 0, got " << status;
    EXPECT_EQ(address, buffer.data()) << "expected the host's pointer untouched, got it moved";
    const std::string written(buffer.data(), sizeof kDescriptor - 1);
    EXPECT_EQ(written, kDescriptor) << "expected " << Readable(kDescriptor) << ", got " << Readable(written);
    EXPECT_EQ(buffer[sizeof kDescriptor - 1], '\0') << "expected a NUL after the descriptor";
    const auto beyond =
        std::find_if(buffer.begin() + sizeof kDescriptor, buffer.end(), [](char c) { return c != '\x7f'; });
    EXPECT_EQ(beyond, buffer.end()) << "expected nothing written beyond the NUL, got a byte changed at offset "
                                    << (beyond - buffer.begin());
  }
}

TEST_F(GetModuleInfoEntry, NullBufferFails) {
  char* nullBuffer = nullptr;
  std::int32_t status = GetModuleInfo(0, nullptr);
  EXPECT_NE(status, 0) << "expected a failure for a null pointer address, got 0";
  status = GetModuleInfo(0, &nullBuffer);
  EXPECT_NE(status, 0) << "expected a failure for a null buffer, got 0";
}

using RefreshModuleEntry = ContextModuleTest;

TEST_F(RefreshModuleEntry, ReturnsZeroAndLeavesTheDialogAlone) {
  FakeHostContext context("demo");
  context.StorePassword("old");
  rtl::TCustomForm* dialog = NewDialog(context);
  for (const auto& [a, b] : {std::pair{0, 0}, std::pair{-1, INT_MAX}, std::pair{INT_MIN, 42}}) {
    const std::int32_t status = RefreshModule(a, b);
    EXPECT_EQ(status, 0) << "expected 0 for (" << a << ", " << b << "), got " << status;
  }
  EXPECT_EQ(FormsOwned(), 1u) << "expected the dialog kept, got " << FormsOwned() << " forms";
  const DialogRun run = Show(*dialog, Fill("old", "new", "new", {Click("btnOK")}));
  EXPECT_EQ(run.result, kModalOk) << "expected the dialog to work through its context, got " << run.result;
  FreeDialog(dialog);
}

using LibraryLifetime = ContextModuleTest;

TEST_F(LibraryLifetime, LoadsUnloadsAndReloadsInOneProcess) {
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(::testing::Message() << "load " << round);
    if (module_ == nullptr) module_ = std::make_unique<host::LoadedModule>(kContextLibrary);
    FakeHostContext context("demo");
    context.StorePassword("old");
    const DialogRun run = RunDialog(context, Fill("old", "new", "new", {Click("btnOK")}));
    EXPECT_EQ(run.result, kModalOk) << "expected 1, got " << run.result;
    const std::vector<rtl::AnsiString> changed{kPasswordChanged};
    EXPECT_EQ(run.messages, changed) << ExpectedGot(changed, run.messages);
    module_.reset();
    EXPECT_FALSE(LibraryIsLoaded()) << "expected the library unloaded, got it still mapped";
  }
}

TEST(LibraryResourcesFile, VersionResourceIsChinesePrcWithOnlyTheCompanyNameFilled) {
  const host::LibraryResources resources(kContextLibrary);
  const rtl::ResourceEntry* entry = resources.Directory().Find(rtl::RT_VERSION, 1);
  ASSERT_NE(entry, nullptr) << "expected a version resource, got none";
  const host::VersionInfo info = host::ParseVersionInfo(entry->data);
  const std::array<std::uint16_t, 4> file{2, 1, 0, 2}, product{2, 0, 0, 0};
  EXPECT_EQ(info.fileVersion, file);
  EXPECT_EQ(info.productVersion, product);
  EXPECT_EQ(info.language, 0x0804) << "expected language 0x0804, got " << info.language;
  EXPECT_EQ(info.codePage, 936) << "expected code page 936, got " << info.codePage;
  bool company = false;
  for (const auto& [key, value] : info.strings) {
    if (key == "CompanyName") {
      company = true;
      EXPECT_FALSE(value.empty()) << "expected a company name, got none";
    } else {
      EXPECT_TRUE(value.empty()) << "expected " << key << " empty, got \"" << value << "\"";
    }
  }
  EXPECT_TRUE(company) << "expected a CompanyName entry, got none";
}

TEST(LibraryResourcesFile, MainIconIsOne32By32ImageOfFourBitsPerPixel) {
  const host::LibraryResources resources(kContextLibrary);
  const std::vector<host::IconPicture> images = host::LoadGroupIcon(resources.Directory(), "MAINICON");
  ASSERT_EQ(images.size(), 1u) << "expected 1 image, got " << images.size();
  EXPECT_EQ(images[0].width, 32);
  EXPECT_EQ(images[0].height, 32);
  EXPECT_EQ(images[0].bitCount, 4) << "expected 4 bits per pixel, got " << images[0].bitCount;
}

}  // namespace
}  // namespace velmora::test
