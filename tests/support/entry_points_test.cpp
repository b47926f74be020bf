// The entry points both editions share and their load, unload and reload,
// run over each edition with the reference host over a temporary database.
#include <algorithm>
#include <climits>
#include <cstring>
#include <tuple>

#include "host/services/AutomationServers.h"
#include "host/services/ContextHost.h"
#include "host/services/PasswordEncoding.h"
#include "runtime/forms/Application.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

constexpr std::int32_t kKindSentinel = -77;
constexpr std::int32_t kEPointer = static_cast<std::int32_t>(0x80004003u);
constexpr std::int32_t kEInvalidArg = static_cast<std::int32_t>(0x80070057u);
constexpr char kDescriptor[] = "Corvane,Logic(业务管理),Pellith(参合门诊报销登记),2(1),";

rtl::TCustomForm* SentinelForm() { return reinterpret_cast<rtl::TCustomForm*>(std::uintptr_t{0x5A5A5A50}); }

std::size_t FormsOwned() { return rtl::Application->ComponentCount(); }

// A form of another module, owned like the dialogs by the application object.
class ForeignForm final : public rtl::TForm {
 public:
  explicit ForeignForm(rtl::TComponent* owner) : TForm(owner) {}
};

// One edition loaded afresh, with demo (password "old") and its host.
class EditionTest : public ModuleTest {
 protected:
  explicit EditionTest(Edition edition) : ModuleTest(edition) {}

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

class EntryPoints : public EditionTest, public ::testing::WithParamInterface<Edition> {
 protected:
  EntryPoints() : EditionTest(GetParam()) {}
};

// Rows of cases, each run over both editions.
template <class Row>
class EditionRows : public EditionTest, public ::testing::WithParamInterface<std::tuple<Edition, Row>> {
 protected:
  EditionRows() : EditionTest(std::get<0>(this->GetParam())) {}
  static const Row& Case() { return std::get<1>(EditionRows::GetParam()); }
};

// Names an EditionRows test "<edition>_<row>".
struct EditionRowName {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<std::tuple<Edition, Row>>& param) const {
    return std::string(InfoOf(std::get<0>(param.param)).name) + "_" + std::get<1>(param.param).name;
  }
};

const auto kEditions = ::testing::Values(Edition::Context, Edition::Automation);

TEST_P(EntryPoints, CreateModuleWritesTheDisplayKind) {
  rtl::TCustomForm* form = nullptr;
  std::int32_t kind = kKindSentinel;
  EXPECT_EQ(CreateModule(&form, &kind), 0);
  EXPECT_EQ(kind, InfoOf(edition_).displayKind);
  FreeDialog(form);
}

TEST_P(EntryPoints, CreateModuleHandsOutAHiddenDialogOwnedByApplication) {
  rtl::TCustomForm* form = SentinelForm();
  std::int32_t kind = 0;
  EXPECT_EQ(CreateModule(&form, &kind), 0);
  ASSERT_TRUE(rtl::Application->Owns(form)) << "expected a dialog owned by Application";
  EXPECT_STREQ(form->ClassName(), InfoOf(edition_).dialogClass);
  EXPECT_FALSE(form->Visible()) << "expected the dialog hidden until the host shows it";
  FreeDialog(form);
}

TEST_P(EntryPoints, CreateModuleIgnoresArgumentsTwoToSix) {
  rtl::TCustomForm* form = SentinelForm();
  std::int32_t kind = kKindSentinel;
  EXPECT_EQ(CreateModule(&form, &kind, {-1, INT_MIN, INT_MAX, 7, -2}), 0);
  EXPECT_EQ(kind, InfoOf(edition_).displayKind);
  ASSERT_TRUE(rtl::Application->Owns(form)) << "expected a dialog owned by Application";
  FreeDialog(form);
}

struct NullOutCase {
  const char* name;
  bool nullForm;  // else the display kind's address is null
};
void PrintTo(const NullOutCase& c, std::ostream* os) { *os << c.name; }

class CreateModuleWithANullOutAddress : public EditionRows<NullOutCase> {};

TEST_P(CreateModuleWithANullOutAddress, FailsWithEPointerWritingNothing) {
  rtl::TCustomForm* form = SentinelForm();
  std::int32_t kind = kKindSentinel;
  EXPECT_EQ(CreateModule(Case().nullForm ? nullptr : &form, Case().nullForm ? &kind : nullptr), kEPointer);
  EXPECT_EQ(kind, kKindSentinel);
  EXPECT_EQ(form, SentinelForm());
  EXPECT_EQ(FormsOwned(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Editions, CreateModuleWithANullOutAddress,
                         ::testing::Combine(kEditions, ::testing::Values(NullOutCase{"Form", true},
                                                                         NullOutCase{"DisplayKind", false})),
                         EditionRowName());

enum class Named { NullAddress, Garbage, ForeignForm };
struct BeforeCreateCase {
  const char* name;
  Named named;
};
void PrintTo(const BeforeCreateCase& c, std::ostream* os) { *os << c.name; }

class FreeModuleBeforeAnyCreateModule : public EditionRows<BeforeCreateCase> {};

// SetUp loads the library afresh, so no CreateModule has run in it yet.
TEST_P(FreeModuleBeforeAnyCreateModule, ReturnsZeroLookingAtNothing) {
  auto* foreign = rtl::Add<ForeignForm>(*rtl::Application);
  rtl::TCustomForm* garbage = SentinelForm();
  rtl::TCustomForm* live = foreign;
  rtl::TCustomForm** address[] = {nullptr, &garbage, &live};
  EXPECT_EQ(FreeModule(address[static_cast<int>(Case().named)]), 0);
  EXPECT_EQ(FormsOwned(), 1u) << "expected the foreign form kept";
  EXPECT_EQ(live, foreign);
  rtl::Free(foreign);
}

INSTANTIATE_TEST_SUITE_P(Editions, FreeModuleBeforeAnyCreateModule,
                         ::testing::Combine(kEditions,
                                            ::testing::Values(BeforeCreateCase{"NullAddress", Named::NullAddress},
                                                              BeforeCreateCase{"Garbage", Named::Garbage},
                                                              BeforeCreateCase{"ForeignForm", Named::ForeignForm})),
                         EditionRowName());

TEST_P(EntryPoints, FreeModuleOfAnEmptyReferenceDestroysNothing) {
  rtl::TCustomForm* dialog = NewDialog();
  rtl::TCustomForm* empty = nullptr;
  EXPECT_EQ(FreeModule(&empty), 0);
  EXPECT_TRUE(rtl::Application->Owns(dialog)) << "expected the dialog kept";
  FreeDialog(dialog);
}

TEST_P(EntryPoints, FreeModuleDestroysTheNamedDialogNotTheNewest) {
  rtl::TCustomForm* older = NewDialog();
  rtl::TCustomForm* newer = NewDialog();
  ASSERT_NE(older, newer);
  EXPECT_EQ(FreeModule(&older), 0);
  EXPECT_FALSE(rtl::Application->Owns(older)) << "expected the named (older) dialog destroyed";
  EXPECT_TRUE(rtl::Application->Owns(newer)) << "expected the newer dialog kept";
  EXPECT_EQ(FormsOwned(), 1u);
  FreeDialog(newer);
}

TEST_P(EntryPoints, FreeModuleLeavesTheHostsVariable) {
  rtl::TCustomForm* const dialog = NewDialog();
  rtl::TCustomForm* variable = dialog;
  EXPECT_EQ(FreeModule(&variable), 0);
  EXPECT_EQ(variable, dialog) << "expected the host variable to keep its value";
}

TEST_P(EntryPoints, FreeModuleOfANullAddressFailsWithEPointer) {
  rtl::TCustomForm* dialog = NewDialog();
  EXPECT_EQ(FreeModule(nullptr), kEPointer);
  EXPECT_TRUE(rtl::Application->Owns(dialog)) << "expected the dialog kept";
  FreeDialog(dialog);
}

enum class Refused { Stale, Double, ForeignOwned, Unowned };
struct RefusedCase {
  const char* name;
  Refused reference;
};
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class FreeModuleOfNoLiveDialog : public EditionRows<RefusedCase> {};

// kept is alive while the refused reference is made, so no new dialog can
// take the address of one destroyed.
TEST_P(FreeModuleOfNoLiveDialog, FailsWithEInvalidArgDestroyingNothing) {
  rtl::TCustomForm* kept = NewDialog();
  rtl::TCustomForm* reference = nullptr;
  rtl::Owned<ForeignForm> unowned;
  ForeignForm* foreignOwned = nullptr;
  switch (Case().reference) {
    case Refused::Stale:
      reference = NewDialog();
      FreeDialog(reference);
      break;
    case Refused::Double:
      reference = NewDialog();
      ASSERT_EQ(FreeModule(&reference), 0);
      break;
    case Refused::ForeignOwned: reference = foreignOwned = rtl::Add<ForeignForm>(*rtl::Application); break;
    case Refused::Unowned:
      unowned = rtl::Add<ForeignForm>(nullptr);
      reference = unowned.get();
      break;
  }
  const std::size_t owned = FormsOwned();
  rtl::TCustomForm* variable = reference;
  EXPECT_EQ(FreeModule(&variable), kEInvalidArg);
  EXPECT_EQ(FormsOwned(), owned) << "expected nothing destroyed";
  EXPECT_TRUE(rtl::Application->Owns(kept));
  EXPECT_EQ(variable, reference);
  rtl::Free(foreignOwned);
  FreeDialog(kept);
}

INSTANTIATE_TEST_SUITE_P(Editions, FreeModuleOfNoLiveDialog,
                         ::testing::Combine(kEditions,
                                            ::testing::Values(RefusedCase{"Stale", Refused::Stale},
                                                              RefusedCase{"Double", Refused::Double},
                                                              RefusedCase{"ForeignOwned", Refused::ForeignOwned},
                                                              RefusedCase{"Unowned", Refused::Unowned})),
                         EditionRowName());

struct ArgumentsCase {
  const char* name;
  std::int32_t first, second;
};
void PrintTo(const ArgumentsCase& c, std::ostream* os) { *os << c.name; }
const auto kArguments =
    ::testing::Values(ArgumentsCase{"Zeros", 0, 0}, ArgumentsCase{"MinusOneAndMaximum", -1, INT_MAX},
                      ArgumentsCase{"MinimumAndFortyTwo", INT_MIN, 42});

class GetModuleInfoWithAnyFirstArgument : public EditionRows<ArgumentsCase> {};

// The context edition copies its descriptor and one NUL; the automation
// edition writes nothing.
TEST_P(GetModuleInfoWithAnyFirstArgument, WritesExactlyTheDescriptor) {
  const std::size_t written = edition_ == Edition::Context ? sizeof kDescriptor : 0;
  std::array<char, 256> buffer;
  buffer.fill('\x7f');
  char* address = buffer.data();
  EXPECT_EQ(GetModuleInfo(Case().first, &address), 0);
  EXPECT_EQ(address, buffer.data()) << "expected the host's pointer untouched";
  EXPECT_EQ(std::memcmp(buffer.data(), kDescriptor, written), 0) << "expected the descriptor";
  EXPECT_TRUE(std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(written), buffer.end(),
                          [](char c) { return c == '\x7f'; }))
      << "expected nothing written beyond " << written << " bytes";
}

INSTANTIATE_TEST_SUITE_P(Editions, GetModuleInfoWithAnyFirstArgument, ::testing::Combine(kEditions, kArguments),
                         EditionRowName());

struct NoBufferCase {
  const char* name;
  bool nullAddress;  // else the address holds a null buffer pointer
};
void PrintTo(const NoBufferCase& c, std::ostream* os) { *os << c.name; }

class GetModuleInfoWithoutABuffer : public EditionRows<NoBufferCase> {};

// The automation edition does not even look at the address.
TEST_P(GetModuleInfoWithoutABuffer, FailsWithEPointerOnlyWhereItWrites) {
  char* none = nullptr;
  EXPECT_EQ(GetModuleInfo(0, Case().nullAddress ? nullptr : &none), edition_ == Edition::Context ? kEPointer : 0);
}

INSTANTIATE_TEST_SUITE_P(Editions, GetModuleInfoWithoutABuffer,
                         ::testing::Combine(kEditions, ::testing::Values(NoBufferCase{"NullAddress", true},
                                                                         NoBufferCase{"NullBuffer", false})),
                         EditionRowName());

class RefreshModuleWithAnyArguments : public EditionRows<ArgumentsCase> {};

TEST_P(RefreshModuleWithAnyArguments, ReturnsZero) { EXPECT_EQ(RefreshModule(Case().first, Case().second), 0); }

INSTANTIATE_TEST_SUITE_P(Editions, RefreshModuleWithAnyArguments, ::testing::Combine(kEditions, kArguments),
                         EditionRowName());

TEST_P(EntryPoints, OtherEntryPointsLeaveTheDialogWorking) {
  rtl::TCustomForm* dialog = NewDialog();
  ASSERT_NE(dialog, nullptr);
  std::array<char, 256> buffer{};
  char* address = buffer.data();
  GetModuleInfo(0, &address);
  RefreshModule(0, 0);
  EXPECT_EQ(FormsOwned(), 1u);
  ExpectChangeWorks(*dialog, "old", "new");
  FreeDialog(dialog);
}

// Freeing first is the host's duty; a host that forgets must still survive.
TEST_P(EntryPoints, UnloadDestroysOnlyTheDialogsTheHostLeftAlive) {
  ASSERT_NE(NewDialog(), nullptr);
  ASSERT_NE(NewDialog(), nullptr);
  auto* foreign = new ForeignForm(rtl::Application);
  Unload();
  EXPECT_EQ(FormsOwned(), 1u) << "expected only the foreign form left";
  EXPECT_TRUE(rtl::Application->Owns(foreign));
  rtl::Free(foreign);
}

TEST_P(EntryPoints, UnloadUnmapsTheLibrary) {
  FreeDialog(NewDialog());
  Unload();
  EXPECT_FALSE(LibraryIsLoaded()) << "expected the library unloaded, got it still mapped";
}

TEST_P(EntryPoints, ReloadedLibraryWorksAsBefore) {
  rtl::TCustomForm* dialog = NewDialog();
  ExpectChangeWorks(*dialog, "old", "new");
  FreeDialog(dialog);
  Unload();
  Load();
  dialog = NewDialog();
  ASSERT_NE(dialog, nullptr);
  ExpectChangeWorks(*dialog, "new", "old");
  FreeDialog(dialog);
}

INSTANTIATE_TEST_SUITE_P(Editions, EntryPoints, kEditions,
                         [](const auto& p) { return std::string(InfoOf(p.param).name); });

}  // namespace
}  // namespace velmora::test
