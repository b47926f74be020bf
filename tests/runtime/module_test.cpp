// Modules: resource blobs, resource strings, and the plug-in library
// boundary (load, entry points, form references from the host).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "rt_support.h"
#include "runtime/except/Exceptions.h"
#include "runtime/module/Module.h"
#include "runtime/module/PluginLibrary.h"
#include "runtime/module/ResString.h"

namespace {

using rttest::Bytes;
using rttest::BuildBlob;
using Blob = std::vector<std::uint8_t>;

void Put32(Blob& blob, std::size_t at, std::uint32_t v) { rttest::PutLE(blob, at, v, 4); }

// Header (8), entries at 8 and 28, data "abc" at 48 and "xy" at 51, the
// name "TFORM1" and its NUL at 53..59: 60 bytes.
Blob SampleBlob() {
  return BuildBlob({{rtl::RT_RCDATA, "TFORM1", 0, Bytes("abc")}, {rtl::RT_STRING, "", 1, Bytes("xy")}});
}

// Parses a copy of blob in a buffer of exactly its size, so that any read
// past the end is caught by the address sanitizer; returns the entry count.
std::size_t ParseExact(const Blob& blob) {
  const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[blob.size() + (blob.empty() ? 1 : 0)]);
  if (!blob.empty()) std::memcpy(exact.get(), blob.data(), blob.size());
  return rtl::ResourceDirectory(std::span<const std::uint8_t>(exact.get(), blob.size())).Entries().size();
}

TEST(Resources, DirectoryRejectsMalformedBlobs) {
  const struct {
    const char* what;
    std::function<void(Blob&)> corrupt;
    const char* reason;
  } cases[] = {
      {"empty", [](Blob& b) { b.clear(); }, "bad signature"},
      {"shorter than the header", [](Blob& b) { b.resize(7); }, "bad signature"},
      {"wrong signature", [](Blob& b) { b[3] = 'Z'; }, "bad signature"},
      {"one entry too many", [](Blob& b) { Put32(b, 4, 3); }, "entry count beyond the end"},
      {"huge entry count", [](Blob& b) { Put32(b, 4, 0xFFFFFFFF); }, "entry count beyond the end"},
      {"entries cut short", [](Blob& b) { b.resize(40); }, "entry count beyond the end"},
      {"data offset past the end", [](Blob& b) { Put32(b, 20, 61); }, "data beyond the end"},
      {"data running past the end", [](Blob& b) { Put32(b, 24, 13); }, "data beyond the end"},
      {"data size wrapping around", [](Blob& b) { Put32(b, 24, 0xFFFFFFFF); }, "data beyond the end"},
      {"huge data offset", [](Blob& b) { Put32(b, 40, 0xFFFFFFF0); }, "data beyond the end"},
      {"name offset at the end", [](Blob& b) { Put32(b, 12, 60); }, "name beyond the end"},
      {"huge name offset", [](Blob& b) { Put32(b, 12, 0xFFFFFFFF); }, "name beyond the end"},
      {"unterminated name", [](Blob& b) { b.pop_back(); }, "unterminated name"},
  };
  for (const auto& c : cases) {
    Blob blob = SampleBlob();
    ASSERT_EQ(blob.size(), 60u);
    c.corrupt(blob);
    try {
      ParseExact(blob);
      ADD_FAILURE() << c.what << ": expected EResNotFound";
    } catch (const rtl::EResNotFound& e) {
      EXPECT_EQ(e.Message(), std::string("Malformed resource table: ") + c.reason) << c.what;
    }
  }
}

TEST(Resources, FindsByIdAndByNameIgnoringCase) {
  const Blob blob = SampleBlob();
  EXPECT_EQ(ParseExact(blob), 2u);
  EXPECT_EQ(ParseExact(BuildBlob({})), 0u);
  const auto dir = std::make_unique<rtl::ResourceDirectory>(blob);
  const rtl::ResourceEntry* named = dir->Find(rtl::RT_RCDATA, "tForm1");
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(std::string(named->data.begin(), named->data.end()), "abc");
  EXPECT_EQ(dir->Find(rtl::RT_STRING, "TFORM1"), nullptr) << "another type";
  EXPECT_EQ(dir->Find(rtl::RT_RCDATA, std::uint32_t{0}), nullptr) << "a named resource has no id";
  EXPECT_EQ(dir->Find(rtl::RT_STRING, ""), nullptr) << "a resource known by id has no name";
  const rtl::TLibModule module("Sample", blob);
  EXPECT_EQ(rtl::LoadResource(&module, rtl::RT_STRING, std::uint32_t{1}).size(), 2u);
  try {
    rtl::LoadResource(&module, rtl::RT_RCDATA, "TForm2");
    FAIL() << "expected EResNotFound";
  } catch (const rtl::EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource TForm2 not found");
  }
  EXPECT_THROW(rtl::LoadResource(&module, rtl::RT_STRING, std::uint32_t{2}), rtl::EResNotFound);
  EXPECT_THROW(rtl::LoadResource(nullptr, rtl::RT_RCDATA, "TForm1"), rtl::EResNotFound);
}

class ResStrings : public ::testing::Test {
 protected:
  static Blob Resources() {
    std::vector<std::u16string> first(16);
    first[0] = u"First";
    first[5] = u"中文";
    first[15] = u"Last";
    Blob truncated = rttest::StringBlock({u"ok"});
    truncated.push_back(10);  // a string of 10 units with 2 present
    truncated.push_back(0);
    truncated.insert(truncated.end(), {'a', 0, 'b', 0});
    return BuildBlob({
        {rtl::RT_STRING, "", 1, rttest::StringBlock(first)},
        {rtl::RT_STRING, "", 2, rttest::StringBlock({u"Sixteen"})},
        {rtl::RT_STRING, "", 3, truncated},
    });
  }
  Blob blob = Resources();
  rtl::TLibModule module{"Strings", blob};
  rtl::HINST instance = &module;
};

TEST_F(ResStrings, LoadsTheStringAtItsIndexInItsBlock) {
  const struct {
    std::uint32_t id;
    const char* text;
  } cases[] = {{0, "First"}, {1, ""}, {5, "中文"}, {14, ""}, {15, "Last"}, {16, "Sixteen"}, {32, "ok"}};
  for (const auto& c : cases) {
    const rtl::TResStringRec rec{&instance, c.id};
    EXPECT_EQ(rtl::LoadResString(&rec), c.text) << "id " << c.id;
  }
}

TEST_F(ResStrings, RaisesEResNotFoundForWhatIsNotThere) {
  rtl::HINST unloaded = nullptr;
  const struct {
    const char* what;
    rtl::TResStringRec rec;
    const char* message;
  } cases[] = {
      {"id past the strings of its block", {&instance, 17}, "Resource string 17 not found"},
      {"block cut short", {&instance, 33}, "Malformed string table"},
      {"missing block", {&instance, 48}, "Resource 4 not found"},
      {"module unloaded", {&unloaded, 0}, "Resource string of an unloaded module"},
      {"no module variable", {nullptr, 0}, "Resource string of an unloaded module"},
  };
  for (const auto& c : cases) {
    try {
      rtl::LoadResString(&c.rec);
      ADD_FAILURE() << c.what << ": expected EResNotFound";
    } catch (const rtl::EResNotFound& e) {
      EXPECT_EQ(e.Message(), c.message) << c.what;
    }
  }
  EXPECT_THROW(rtl::LoadResString(nullptr), rtl::EResNotFound);
}

std::vector<std::string> gUnits;

void InitA() { gUnits.push_back("init A"); }
void FinA() { gUnits.push_back("fin A"); }
void InitB() { gUnits.push_back("init B"); }
void FinB() { gUnits.push_back("fin B"); }
void InitBroken() { throw rtl::EConvertError("broken unit"); }

const rtl::UnitEntry kGoodUnits[] = {{"A", InitA, FinA}, {"B", InitB, FinB}};
const rtl::UnitEntry kBrokenUnits[] = {{"A", InitA, FinA}, {"Broken", InitBroken, FinB}};

using Log = std::vector<std::string>;

TEST(PluginLibrary, LoadRunsTheUnitsEntryPointsMapExceptionsUnloadFinalizes) {
  gUnits.clear();
  const Blob blob = SampleBlob();
  rtl::PluginLibrary library;
  rtl::HINST instance = nullptr;
  EXPECT_EQ(library.EntryPoint([] {}), rtl::E_UNEXPECTED) << "not loaded yet";
  library.Load("Velmora", blob, kGoodUnits, instance);
  ASSERT_NE(instance, nullptr);
  EXPECT_NE(instance->Resources().Find(rtl::RT_RCDATA, "TFORM1"), nullptr);
  EXPECT_EQ(gUnits, (Log{"init A", "init B"}));
  const struct {
    const char* what;
    std::function<void()> body;
    rtl::HResult code;
  } cases[] = {
      {"success", [] {}, rtl::S_OK},
      {"null out-parameter", [] { rtl::CheckOut(nullptr); }, rtl::E_POINTER},
      {"runtime error", [] { throw rtl::EDatabaseError("x"); }, rtl::E_UNEXPECTED},
      {"out of memory", [] { throw std::bad_alloc(); }, rtl::E_OUTOFMEMORY},
      {"anything", [] { throw "text"; }, rtl::E_UNEXPECTED},
  };
  for (const auto& c : cases) EXPECT_EQ(library.EntryPoint(c.body), c.code) << c.what;
  library.Unload(instance);
  EXPECT_EQ(instance, nullptr);
  EXPECT_EQ(gUnits, (Log{"init A", "init B", "fin B", "fin A"}));
  EXPECT_EQ(library.EntryPoint([] {}), rtl::E_UNEXPECTED) << "unloaded";
}

TEST(PluginLibrary, FailedLoadAnswersEveryEntryPointWithEUnexpected) {
  gUnits.clear();
  const Blob blob = SampleBlob();
  rtl::PluginLibrary library;
  rtl::HINST instance = nullptr;
  library.Load("Velmora", blob, kBrokenUnits, instance);
  EXPECT_EQ(gUnits, (Log{"init A", "fin A"}));
  bool ran = false;
  EXPECT_EQ(library.EntryPoint([&] { ran = true; }), rtl::E_UNEXPECTED);
  EXPECT_FALSE(ran);
  library.Unload(instance);
  EXPECT_EQ(gUnits, (Log{"init A", "fin A"})) << "nothing is finalised twice";
}

class TDialogA : public rtl::TForm {
 public:
  explicit TDialogA(rtl::TComponent* owner) : TForm(owner) {}
};
class TDialogB : public rtl::TForm {
 public:
  explicit TDialogB(rtl::TComponent* owner) : TForm(owner) {}
};

class FormReferences : public rttest::AppTest {};

rtl::HResult CodeOf(rtl::TCustomForm* const* ref) {
  try {
    rtl::LiveFormNamedBy<TDialogA>(ref);
  } catch (const rtl::EOleSysError& e) {
    return e.ErrorCode();
  }
  return rtl::S_OK;
}

TEST_F(FormReferences, OnlyALiveFormOfTheClassOwnedByTheApplicationIsFollowed) {
  rtl::Owned<TDialogA> form(new TDialogA(rtl::Application));
  rtl::TCustomForm* ref = form.get();
  EXPECT_EQ(rtl::LiveFormNamedBy<TDialogA>(&ref), form.get());
  ref = nullptr;
  EXPECT_EQ(rtl::LiveFormNamedBy<TDialogA>(&ref), nullptr) << "an empty reference names no form";

  rtl::Owned<TDialogA> unowned(new TDialogA(nullptr));
  rtl::Owned<TDialogB> other(new TDialogB(rtl::Application));
  rtl::TCustomForm* stale = new TDialogA(rtl::Application);
  rtl::Free(stale);
  rtl::TCustomForm* const refs[] = {unowned.get(), other.get(), stale,
                                    reinterpret_cast<rtl::TCustomForm*>(std::uintptr_t{0x10})};
  EXPECT_EQ(CodeOf(nullptr), rtl::E_POINTER);
  EXPECT_EQ(CodeOf(&refs[0]), rtl::E_INVALIDARG) << "a form the application does not own";
  EXPECT_EQ(CodeOf(&refs[1]), rtl::E_INVALIDARG) << "a form of another class";
  EXPECT_EQ(CodeOf(&refs[2]), rtl::E_INVALIDARG) << "a destroyed form";
  EXPECT_EQ(CodeOf(&refs[3]), rtl::E_INVALIDARG) << "an address that was never a form";
}

}  // namespace
