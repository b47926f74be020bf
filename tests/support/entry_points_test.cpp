// The entry points both editions share and their load, unload and reload,
// run over each edition with the reference host over a temporary database.
#include <algorithm>
#include <climits>
#include <cstring>

#include "host/services/AutomationServers.h"
#include "host/services/ContextHost.h"
#include "host/services/PasswordEncoding.h"
#include "runtime/forms/Application.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/TempDatabase.h"

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

class EntryPoints : public ModuleTest, public ::testing::WithParamInterface<Edition> {
 protected:
  EntryPoints() : ModuleTest(GetParam()) {}

  void SetUp() override {
    ModuleTest::SetUp();
    db_.AddUser("demo", Stored("old"));
    if (edition_ == Edition::Context) {
      contextHost_.emplace(db_.Sql(), db_.User("demo"), screen_);
      context_ = &*contextHost_;
    } else {
      servers_.emplace(db_.Sql(), db_.User("demo"), screen_);
    }
  }

  std::string Stored(const std::string& plain) const {
    return edition_ == Edition::Context ? host::EncodeHostPassword(plain) : host::Md5Hex(plain);
  }

  // Changes demo's password through the dialog and checks that it was stored.
  void ExpectChangeWorks(rtl::TCustomForm& form, const char* from, const char* to) {
    Show(form, Fill(from, to, to, {Click(InfoOf(edition_).okButton)}));
    EXPECT_EQ(db_.StoredPassword("demo"), Stored(to)) << "expected the dialog to change the password";
  }

  TempDatabase db_;
  std::optional<host::ContextHost> contextHost_;
  std::optional<host::AutomationServers> servers_;
};

TEST_P(EntryPoints, CreateModuleWritesTheDialogAndItsDisplayKindWhateverTheIgnoredArguments) {
  for (const std::array<std::int32_t, 5>& ignored :
       {std::array<std::int32_t, 5>{0, 0, 0, 0, 0}, std::array<std::int32_t, 5>{-1, INT_MIN, INT_MAX, 7, -2}}) {
    rtl::TCustomForm* form = SentinelForm();
    std::int32_t kind = kKindSentinel;
    EXPECT_EQ(CreateModule(&form, &kind, ignored), 0);
    EXPECT_EQ(kind, InfoOf(edition_).displayKind);
    ASSERT_TRUE(rtl::Application->Owns(form)) << "expected a dialog owned by Application";
    EXPECT_STREQ(form->ClassName(), InfoOf(edition_).dialogClass);
    EXPECT_FALSE(form->Visible()) << "expected the dialog hidden until the host shows it";
    FreeDialog(form);
  }
}

TEST_P(EntryPoints, CreateModuleWithANullOutAddressFailsWritingNothing) {
  rtl::TCustomForm* form = SentinelForm();
  std::int32_t kind = kKindSentinel;
  EXPECT_NE(CreateModule(nullptr, &kind), 0);
  EXPECT_NE(CreateModule(&form, nullptr), 0);
  EXPECT_EQ(kind, kKindSentinel);
  EXPECT_EQ(form, SentinelForm());
  EXPECT_EQ(FormsOwned(), 0u);
}

// SetUp loads the library afresh, so no CreateModule has run in it yet.
TEST_P(EntryPoints, FreeModuleBeforeAnyCreateModuleReturnsZeroAndLooksAtNothing) {
  auto* foreign = rtl::Add<ForeignForm>(*rtl::Application);
  rtl::TCustomForm* garbage = SentinelForm();
  rtl::TCustomForm* live = foreign;
  for (rtl::TCustomForm** address : {static_cast<rtl::TCustomForm**>(nullptr), &garbage, &live}) {
    EXPECT_EQ(FreeModule(address), 0);
  }
  EXPECT_EQ(FormsOwned(), 1u) << "expected the foreign form kept";
  EXPECT_EQ(live, foreign);
  rtl::Free(foreign);
}

TEST_P(EntryPoints, FreeModuleDestroysOnlyTheNamedDialogAndLeavesTheReference) {
  rtl::TCustomForm* older = NewDialog();
  rtl::TCustomForm* newer = NewDialog();
  ASSERT_NE(older, newer);
  rtl::TCustomForm* empty = nullptr;
  EXPECT_EQ(FreeModule(&empty), 0);
  EXPECT_EQ(FormsOwned(), 2u) << "expected an empty reference to destroy nothing";
  rtl::TCustomForm* variable = older;
  EXPECT_EQ(FreeModule(&variable), 0);
  EXPECT_EQ(variable, older) << "expected the host variable to keep its value";
  EXPECT_FALSE(rtl::Application->Owns(older)) << "expected the named (older) dialog destroyed";
  EXPECT_TRUE(rtl::Application->Owns(newer)) << "expected the newer dialog kept";
  FreeDialog(newer);
}

TEST_P(EntryPoints, FreeModuleRefusesAStaleOrForeignReferenceDestroyingNothing) {
  rtl::TCustomForm* kept = NewDialog();
  rtl::TCustomForm* stale = NewDialog();
  FreeDialog(stale);  // made while kept was alive, so kept cannot reuse its address
  auto* foreignOwned = rtl::Add<ForeignForm>(*rtl::Application);
  const auto unowned = rtl::Add<ForeignForm>(nullptr);
  for (rtl::TCustomForm* reference :
       {stale, static_cast<rtl::TCustomForm*>(foreignOwned), static_cast<rtl::TCustomForm*>(unowned.get())}) {
    rtl::TCustomForm* variable = reference;
    EXPECT_NE(FreeModule(&variable), 0);
    EXPECT_EQ(FormsOwned(), 2u) << "expected the dialog and the foreign form kept";
    EXPECT_EQ(variable, reference);
  }
  rtl::Free(foreignOwned);
  FreeDialog(kept);
}

// The context edition copies its descriptor and one NUL; the automation
// edition writes nothing and does not even look at the address.
TEST_P(EntryPoints, GetModuleInfoAndRefreshModuleTouchNothingElse) {
  rtl::TCustomForm* dialog = NewDialog();
  ASSERT_NE(dialog, nullptr);
  const bool context = edition_ == Edition::Context;
  const std::size_t written = context ? sizeof kDescriptor : 0;
  for (const auto& [a, b] : {std::pair{0, 0}, std::pair{-1, INT_MAX}, std::pair{INT_MIN, 42}}) {
    std::array<char, 256> buffer;
    buffer.fill('\x7f');
    char* address = buffer.data();
    EXPECT_EQ(GetModuleInfo(a, &address), 0);
    EXPECT_EQ(address, buffer.data()) << "expected the host's pointer untouched";
    EXPECT_EQ(std::memcmp(buffer.data(), kDescriptor, written), 0) << "expected the descriptor";
    EXPECT_TRUE(std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(written), buffer.end(),
                            [](char c) { return c == '\x7f'; }))
        << "expected nothing written beyond " << written << " bytes";
    char* none = nullptr;
    EXPECT_EQ(GetModuleInfo(a, nullptr) != 0, context);
    EXPECT_EQ(GetModuleInfo(a, &none) != 0, context);
    EXPECT_EQ(RefreshModule(a, b), 0);
  }
  EXPECT_EQ(FormsOwned(), 1u);
  ExpectChangeWorks(*dialog, "old", "new");
  FreeDialog(dialog);
}

// Freeing first is the host's duty; a host that forgets must still survive.
TEST_P(EntryPoints, UnloadDestroysTheDialogsTheHostLeftAliveAndNothingElse) {
  ASSERT_NE(NewDialog(), nullptr);
  ASSERT_NE(NewDialog(), nullptr);
  auto* foreign = new ForeignForm(rtl::Application);
  Unload();
  EXPECT_EQ(FormsOwned(), 1u) << "expected only the foreign form left";
  EXPECT_TRUE(rtl::Application->Owns(foreign));
  rtl::Free(foreign);
}

TEST_P(EntryPoints, LoadsUnloadsAndReloadsInOneProcess) {
  for (const auto& [from, to] : {std::pair{"old", "new"}, std::pair{"new", "old"}}) {
    if (module_ == nullptr) Load();
    rtl::TCustomForm* dialog = NewDialog();
    ASSERT_NE(dialog, nullptr);
    ExpectChangeWorks(*dialog, from, to);
    FreeDialog(dialog);
    Unload();
    EXPECT_FALSE(LibraryIsLoaded()) << "expected the library unloaded, got it still mapped";
  }
}

INSTANTIATE_TEST_SUITE_P(Editions, EntryPoints, ::testing::Values(Edition::Context, Edition::Automation),
                         [](const auto& p) { return std::string(InfoOf(p.param).name); });

}  // namespace
}  // namespace velmora::test
