// The library boundary: exceptions turned into result codes and back, unit
// tables, resource blobs and strings, and the plug-in library's load, unload
// and entry points. The host's form references are exercised by the context
// and automation entry-point suites.
#include "runtime/module/Module.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/boundary/SafeCall.h"
#include "runtime/boundary/UserMessage.h"
#include "runtime/except/Exceptions.h"
#include "runtime/module/ResString.h"
#include "runtime/plugin/PluginLibrary.h"
#include "runtime/text/Gbk.h"
#include "runtime/text/Unicode.h"
#include "runtime/units/Units.h"
#include "tests/support/Expectations.h"
#include "tests/support/ResourceBlob.h"

namespace {

using rtl::HResult;
using velmora::test::BuildBlob;
using velmora::test::Bytes;
using Blob = std::vector<std::uint8_t>;
using Log = std::vector<std::string>;

constexpr const char* kInternalError = "操作未能完成：程序内部出错。";
constexpr const char* kResourceError = "读取程序资源时出错。";

// The description that crosses the boundary is what the person is to be
// told, never the detail.
struct BoundaryCase {
  std::string name;
  std::function<void()> body;
  HResult code;
  std::string description;
};
void PrintTo(const BoundaryCase& c, std::ostream* os) { *os << c.name; }

class Boundary : public ::testing::TestWithParam<BoundaryCase> {};

TEST_P(Boundary, AnswersTheCodeOfWhatWasRaised) { EXPECT_EQ(rtl::SafeCallBoundary(GetParam().body), GetParam().code); }

TEST_P(Boundary, AnswersTheSameCodeWhenItFillsErrorInfo) {
  rtl::ErrorInfo info{"sentinel"};
  EXPECT_EQ(rtl::SafeCallBoundary(GetParam().body, &info), GetParam().code);
}

TEST_P(Boundary, DescribesItWithTheTextForThePerson) {
  rtl::ErrorInfo info{"sentinel"};
  rtl::SafeCallBoundary(GetParam().body, &info);
  EXPECT_EQ(info.description, GetParam().description);
}

INSTANTIATE_TEST_SUITE_P(
    Exceptions, Boundary,
    ::testing::Values(
        BoundaryCase{"NothingRaised", [] {}, rtl::S_OK, "sentinel"},
        BoundaryCase{"WithATextForThePerson", [] { throw rtl::EConvertError("bad date", "日期不对"); },
                     rtl::E_UNEXPECTED, "日期不对"},
        BoundaryCase{"WithoutATextForThePerson", [] { throw rtl::EConvertError("bad date"); }, rtl::E_UNEXPECTED,
                     "数据格式不正确，无法转换。"},
        BoundaryCase{"CarryingAFailureCode", [] { throw rtl::EOleSysError("bad arg", rtl::E_INVALIDARG); },
                     rtl::E_INVALIDARG, "调用宿主服务失败。"},
        BoundaryCase{"CarryingASuccessCode", [] { throw rtl::EOleSysError("odd", 1); }, rtl::E_UNEXPECTED,
                     "调用宿主服务失败。"},
        BoundaryCase{"OutOfMemory", [] { throw std::bad_alloc(); }, rtl::E_OUTOFMEMORY, "内存不足，操作未能完成。"},
        BoundaryCase{"StandardException", [] { throw std::runtime_error("std"); }, rtl::E_UNEXPECTED, kInternalError},
        BoundaryCase{"NonStandardException", [] { throw 42; }, rtl::E_UNEXPECTED, kInternalError}),
    velmora::test::CaseName());

// The text for the person of the EConvertError that convert raises.
rtl::AnsiString ConversionText(const std::function<void()>& convert) {
  try {
    convert();
  } catch (const rtl::EConvertError& e) {
    return e.UserMessage();
  }
  return "(nothing raised)";
}

// Rethrows what it is given, so that the current exception is of any type.
template <class E>
std::function<rtl::AnsiString()> Handling(E raised) {
  return [raised] {
    try {
      throw raised;
    } catch (...) {
      return rtl::UserMessageOfCurrentException();
    }
  };
}

// What the person is told of each kind of failure, in Chinese; a raiser's
// own text for the person wins.
struct ToldCase {
  std::string name;
  std::function<rtl::AnsiString()> told;
  std::string text;
};
void PrintTo(const ToldCase& c, std::ostream* os) { *os << c.name; }

class Told : public ::testing::TestWithParam<ToldCase> {};

TEST_P(Told, IsTheTextForTheKindOfFailure) { EXPECT_EQ(GetParam().told(), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Exceptions, Told,
    ::testing::Values(ToldCase{"Exception", Handling(rtl::Exception("x")), kInternalError},
                      ToldCase{"ConvertError", Handling(rtl::EConvertError("x")), "数据格式不正确，无法转换。"},
                      ToldCase{"InvalidCast", Handling(rtl::EInvalidCast("x")), kInternalError},
                      ToldCase{"InvalidOperation", Handling(rtl::EInvalidOperation("x")), kInternalError},
                      ToldCase{"VariantError", Handling(rtl::EVariantError("x")), "数据类型不符，无法处理。"},
                      ToldCase{"DatabaseError", Handling(rtl::EDatabaseError("x")), "数据访问出错。"},
                      ToldCase{"ComponentError", Handling(rtl::EComponentError("x")), kInternalError},
                      ToldCase{"ReadError", Handling(rtl::EReadError("x")), kResourceError},
                      ToldCase{"ResNotFound", Handling(rtl::EResNotFound("x")), kResourceError},
                      ToldCase{"OleSysError", Handling(rtl::EOleSysError("x", rtl::E_FAIL)), "调用宿主服务失败。"},
                      ToldCase{"OutOfMemory", Handling(std::bad_alloc()), "内存不足，操作未能完成。"},
                      ToldCase{"StandardException", Handling(std::runtime_error("x")), kInternalError},
                      ToldCase{"NonStandardException", Handling(42), kInternalError},
                      ToldCase{"RaisersOwnText", Handling(rtl::EDatabaseError("locked", "数据库正忙")), "数据库正忙"},
                      // A server's description is for the person.
                      ToldCase{"ServersDescription", Handling(rtl::EOleException("服务器说不", rtl::E_FAIL)),
                               "服务器说不"},
                      // The conversions' own texts.
                      ToldCase{"MalformedGbk", [] { return ConversionText([] { rtl::GbkToWide("\x81"); }); },
                               "文字中含有无法识别的字符。"},
                      ToldCase{"CharacterGbkLacks", [] { return ConversionText([] { rtl::WideToGbk(u"\u00A0"); }); },
                               "文字中含有当前字符集无法表示的字符。"},
                      ToldCase{"MalformedUtf8", [] { return ConversionText([] { rtl::Utf8ToWide("\xFF"); }); },
                               "文字中含有无法识别的字符。"}),
    velmora::test::CaseName());

TEST(SafeCall, CheckRaisesForFailingCodesOnly) {
  EXPECT_NO_THROW(rtl::SafeCallCheck(1, {"d"}));
  EXPECT_THROW(rtl::SafeCallCheck(rtl::E_FAIL, {"服务器错误"}), rtl::EOleException);
  try {
    rtl::SafeCallCheck(rtl::E_POINTER, {});
    ADD_FAILURE() << "expected EOleSysError";
  } catch (const rtl::EOleSysError& e) {
    EXPECT_EQ(dynamic_cast<const rtl::EOleException*>(&e), nullptr) << "no description: a plain EOleSysError";
    EXPECT_EQ(e.Message(), "Call failed with code 80004003");
  }
}

Log gUnitLog;

template <int N, bool raising = false>
void Init() {
  gUnitLog.push_back("init" + std::to_string(N) + (raising ? "!" : ""));
  if (raising) throw rtl::EConvertError("unit failed");
}
template <int N, bool raising = false>
void Fin() {
  gUnitLog.push_back("fin" + std::to_string(N) + (raising ? "!" : ""));
  if (raising) throw 7;
}

struct UnitsCase {
  std::string name;
  std::vector<rtl::UnitEntry> units;
  bool initialized;
  Log log;  // of initialising, then finalising when initialised
};

void PrintTo(const UnitsCase& c, std::ostream* os) { *os << c.name; }

class Units : public ::testing::TestWithParam<UnitsCase> {
 protected:
  void SetUp() override { gUnitLog.clear(); }
};

TEST_P(Units, InitializeAnswersWhetherEveryUnitStarted) {
  const bool initialized = rtl::InitializeUnits(GetParam().units);
  if (initialized) rtl::FinalizeUnits(GetParam().units);
  EXPECT_EQ(initialized, GetParam().initialized);
}

TEST_P(Units, InitializeInOrderFinalizeInReverse) {
  if (rtl::InitializeUnits(GetParam().units)) rtl::FinalizeUnits(GetParam().units);
  EXPECT_EQ(gUnitLog, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(Tables, Units,
                         ::testing::Values(UnitsCase{"RaisingFinalizationGoesOn",
                                                     {{"A", Init<1>, Fin<1>},
                                                      {"B", nullptr, nullptr},
                                                      {"C", Init<3>, Fin<3, true>},
                                                      {"D", Init<4>, Fin<4>}},
                                                     true,
                                                     {"init1", "init3", "init4", "fin4", "fin3!", "fin1"}},
                                           // A failing initialisation rolls back the units before it, in reverse.
                                           UnitsCase{"FailingInitializationRollsBack",
                                                     {{"A", Init<1>, Fin<1>},
                                                      {"B", Init<2>, Fin<2, true>},
                                                      {"C", Init<3, true>, Fin<3>},
                                                      {"D", Init<4>, Fin<4>}},
                                                     false,
                                                     {"init1", "init2", "init3!", "fin2!", "fin1"}}),
                         velmora::test::CaseName());

// Header (8), entries at 8 and 28, data "abc" at 48 and "xy" at 51, the
// name "TFORM1" and its NUL at 53..59: 60 bytes.
Blob SampleBlob() {
  return BuildBlob({{rtl::RT_RCDATA, "TFORM1", 0, Bytes("abc")}, {rtl::RT_STRING, "", 1, Bytes("xy")}});
}

// Parses a copy of blob in a buffer of exactly its size, so that the address
// sanitizer sees any read past the end; returns the entry count.
std::size_t ParseExact(const Blob& blob) {
  const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[blob.size() + (blob.empty() ? 1 : 0)]);
  if (!blob.empty()) std::memcpy(exact.get(), blob.data(), blob.size());
  return rtl::ResourceDirectory(std::span<const std::uint8_t>(exact.get(), blob.size())).Entries().size();
}

TEST(Resources, SampleBlobOf60BytesHoldsTwoEntries) {
  const Blob valid = SampleBlob();
  ASSERT_EQ(valid.size(), 60u);
  EXPECT_EQ(ParseExact(valid), 2u);
}

TEST(Resources, EmptyDirectoryHasNoEntries) { EXPECT_EQ(ParseExact(BuildBlob({})), 0u); }

TEST(Resources, DirectoryRejectsEveryPrefixOfAValidBlob) {
  const Blob valid = SampleBlob();
  for (std::size_t size = 0; size < valid.size(); ++size) {
    EXPECT_THROW(ParseExact(Blob(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(size))), rtl::EResNotFound)
        << "prefix of " << size << " bytes";
  }
}

struct DamagedBlobCase {
  std::string name;
  std::size_t at;  // of the u32 set to value
  std::uint32_t value;
  std::string reason;
};

void PrintTo(const DamagedBlobCase& c, std::ostream* os) { *os << c.name; }

class DamagedBlob : public ::testing::TestWithParam<DamagedBlobCase> {};

TEST_P(DamagedBlob, DirectoryRejectsItWithTheReason) {
  Blob blob = SampleBlob();
  velmora::test::PutLE(blob, GetParam().at, GetParam().value, 4);
  try {
    ParseExact(blob);
    ADD_FAILURE() << "expected EResNotFound";
  } catch (const rtl::EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Malformed resource table: " + GetParam().reason);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Blobs, DamagedBlob,
    ::testing::Values(DamagedBlobCase{"Signature", 0, 0x5A534552, "bad signature"},
                      DamagedBlobCase{"EntryCount", 4, 3, "entry count beyond the end"},
                      DamagedBlobCase{"HugeEntryCount", 4, 0xFFFFFFFF, "entry count beyond the end"},
                      DamagedBlobCase{"DataOffset", 20, 61, "data beyond the end"},
                      DamagedBlobCase{"DataSize", 24, 13, "data beyond the end"},
                      // The size wrapping around.
                      DamagedBlobCase{"HugeDataSize", 24, 0xFFFFFFFF, "data beyond the end"},
                      DamagedBlobCase{"HugeSecondDataOffset", 40, 0xFFFFFFF0, "data beyond the end"},
                      DamagedBlobCase{"NameOffset", 12, 60, "name beyond the end"},
                      DamagedBlobCase{"HugeNameOffset", 12, 0xFFFFFFFF, "name beyond the end"}),
    velmora::test::CaseName());

// A module holding the sample blob.
class SampleModule : public ::testing::Test {
 protected:
  const Blob blob = SampleBlob();
  const rtl::TLibModule module{"Sample", blob};
  const rtl::ResourceDirectory& dir = module.Resources();
};

TEST_F(SampleModule, FindsANamedResourceIgnoringCase) {
  const rtl::ResourceEntry* named = dir.Find(rtl::RT_RCDATA, "tForm1");
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(std::string(named->data.begin(), named->data.end()), "abc");
}

TEST_F(SampleModule, NameIsFoundOnlyUnderItsType) { EXPECT_EQ(dir.Find(rtl::RT_STRING, "TFORM1"), nullptr); }

TEST_F(SampleModule, NamedResourceHasNoId) { EXPECT_EQ(dir.Find(rtl::RT_RCDATA, std::uint32_t{0}), nullptr); }

TEST_F(SampleModule, ResourceKnownByIdHasNoName) { EXPECT_EQ(dir.Find(rtl::RT_STRING, ""), nullptr); }

TEST_F(SampleModule, LoadsAResourceById) {
  EXPECT_EQ(rtl::LoadResource(&module, rtl::RT_STRING, std::uint32_t{1}).size(), 2u);
}

TEST_F(SampleModule, LoadingAMissingIdRaises) {
  EXPECT_THROW(rtl::LoadResource(&module, rtl::RT_STRING, std::uint32_t{2}), rtl::EResNotFound);
}

TEST(Resources, LoadingFromNoModuleRaises) {
  EXPECT_THROW(rtl::LoadResource(nullptr, rtl::RT_RCDATA, "TForm1"), rtl::EResNotFound);
}

// A module with three string blocks: 0-15 with strings at 0, 5 and 15, 16-31
// with one, and 32-47 with one whole string and one cut short.
struct StringModule {
  StringModule() {
    std::vector<std::u16string> first(16);
    first[0] = u"First";
    first[5] = u"中文";
    first[15] = u"Last";
    Blob truncated = velmora::test::StringBlock({u"ok"});
    truncated.insert(truncated.end(), {10, 0, 'a', 0, 'b', 0});  // a string of 10 units with 2 present
    blob = BuildBlob({{rtl::RT_STRING, "", 1, velmora::test::StringBlock(first)},
                      {rtl::RT_STRING, "", 2, velmora::test::StringBlock({u"Sixteen"})},
                      {rtl::RT_STRING, "", 3, truncated}});
    module = std::make_unique<rtl::TLibModule>("Strings", blob);
    instance = module.get();
  }
  Blob blob;
  std::unique_ptr<rtl::TLibModule> module;
  rtl::HINST instance = nullptr;
  rtl::HINST unloaded = nullptr;
};

enum class StringSource { Loaded, Unloaded, None };

struct ResStringCase {
  std::string name;
  StringSource source;
  std::uint32_t id;
  std::string expected;  // or "raised: " and the message
};

void PrintTo(const ResStringCase& c, std::ostream* os) { *os << c.name; }

class ResString : public ::testing::TestWithParam<ResStringCase> {};

TEST_P(ResString, LoadsTheTextAtItsIndexInItsBlockOrRaises) {
  const StringModule strings;
  const rtl::HINST* module = GetParam().source == StringSource::Loaded     ? &strings.instance
                             : GetParam().source == StringSource::Unloaded ? &strings.unloaded
                                                                           : nullptr;
  const rtl::TResStringRec rec{module, GetParam().id};
  std::string got;
  try {
    got = rtl::LoadResString(&rec);
  } catch (const rtl::EResNotFound& e) {
    got = "raised: " + e.Message();
  }
  EXPECT_EQ(got, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, ResString,
    ::testing::Values(
        ResStringCase{"FirstOfABlock", StringSource::Loaded, 0, "First"},
        ResStringCase{"Chinese", StringSource::Loaded, 5, "中文"},
        ResStringCase{"LastOfABlock", StringSource::Loaded, 15, "Last"},
        ResStringCase{"FirstOfTheNextBlock", StringSource::Loaded, 16, "Sixteen"},
        ResStringCase{"PastTheStringsOfItsBlock", StringSource::Loaded, 17, "raised: Resource string 17 not found"},
        ResStringCase{"CutShort", StringSource::Loaded, 33, "raised: Malformed string table"},
        ResStringCase{"MissingBlock", StringSource::Loaded, 48, "raised: Resource 4 not found"},
        ResStringCase{"UnloadedModule", StringSource::Unloaded, 0, "raised: Resource string of an unloaded module"},
        ResStringCase{"NoModule", StringSource::None, 0, "raised: Resource string of an unloaded module"}),
    velmora::test::CaseName());

TEST(ResStrings, NoRecordRaises) { EXPECT_THROW(rtl::LoadResString(nullptr), rtl::EResNotFound); }

const rtl::UnitEntry kGoodUnits[] = {{"A", Init<1>, Fin<1>}, {"B", Init<2>, Fin<2>}};
const rtl::UnitEntry kBrokenUnits[] = {{"A", Init<1>, Fin<1>}, {"B", Init<2, true>, Fin<2>}};

// A library whose units failed to start answers every entry point with
// E_UNEXPECTED and finalises nothing twice. Exceptions in entry points are
// mapped as the boundary tests show.
struct LibraryCase {
  std::string name;
  std::span<const rtl::UnitEntry> units;
  rtl::HResult whileLoaded;
  Log afterLoad, afterUnload;
};
void PrintTo(const LibraryCase& c, std::ostream* os) { *os << c.name; }

class PluginLibrary : public ::testing::TestWithParam<LibraryCase> {
 protected:
  void SetUp() override { gUnitLog.clear(); }
  void Load() {
    library.Load("Velmora", blob, GetParam().units, instance);
    ASSERT_NE(instance, nullptr);
  }
  const Blob blob = SampleBlob();
  rtl::PluginLibrary library;
  rtl::HINST instance = nullptr;
};

TEST_P(PluginLibrary, EntryPointIsRefusedBeforeLoading) {
  EXPECT_EQ(library.EntryPoint([] {}), rtl::E_UNEXPECTED);
}

TEST_P(PluginLibrary, LoadedModuleHoldsTheResources) {
  Load();
  EXPECT_NE(instance->Resources().Find(rtl::RT_RCDATA, "TFORM1"), nullptr);
  library.Unload(instance);
}

TEST_P(PluginLibrary, LoadingStartsTheUnits) {
  Load();
  EXPECT_EQ(gUnitLog, GetParam().afterLoad);
  library.Unload(instance);
}

TEST_P(PluginLibrary, EntryPointRunsOnlyWhenTheUnitsStarted) {
  Load();
  bool ran = false;
  EXPECT_EQ(library.EntryPoint([&] { ran = true; }), GetParam().whileLoaded);
  EXPECT_EQ(ran, GetParam().whileLoaded == rtl::S_OK);
  library.Unload(instance);
}

TEST_P(PluginLibrary, EntryPointExceptionBecomesAFailingCode) {
  Load();
  EXPECT_EQ(library.EntryPoint([] { throw rtl::EDatabaseError("x"); }), rtl::E_UNEXPECTED);
  library.Unload(instance);
}

TEST_P(PluginLibrary, UnloadingFinalizesEachStartedUnitOnce) {
  Load();
  library.Unload(instance);
  EXPECT_EQ(gUnitLog, GetParam().afterUnload);
}

TEST_P(PluginLibrary, UnloadingForgetsTheInstance) {
  Load();
  library.Unload(instance);
  EXPECT_EQ(instance, nullptr);
}

TEST_P(PluginLibrary, EntryPointIsRefusedAfterUnloading) {
  Load();
  library.Unload(instance);
  EXPECT_EQ(library.EntryPoint([] {}), rtl::E_UNEXPECTED);
}

INSTANTIATE_TEST_SUITE_P(
    Units, PluginLibrary,
    ::testing::Values(
        LibraryCase{"Starting", kGoodUnits, rtl::S_OK, {"init1", "init2"}, {"init1", "init2", "fin2", "fin1"}},
        LibraryCase{"FailingToStart",
                    kBrokenUnits,
                    rtl::E_UNEXPECTED,
                    {"init1", "init2!", "fin1"},
                    {"init1", "init2!", "fin1"}}),
    velmora::test::CaseName());

}  // namespace
