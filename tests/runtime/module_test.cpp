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
#include "tests/support/ResourceBlob.h"

namespace {

using rtl::HResult;
using velmora::test::BuildBlob;
using velmora::test::Bytes;
using Blob = std::vector<std::uint8_t>;
using Log = std::vector<std::string>;

constexpr const char* kInternalError = "操作未能完成：程序内部出错。";

// The description that crosses the boundary is what the person is to be
// told, never the detail.
TEST(SafeCall, BoundaryMapsEachExceptionToAFailingCode) {
  const struct {
    const char* what;
    std::function<void()> body;
    HResult code;
    const char* description;
  } cases[] = {
      {"nothing raised", [] {}, rtl::S_OK, "sentinel"},
      {"runtime error with a text for the person", [] { throw rtl::EConvertError("bad date", "日期不对"); },
       rtl::E_UNEXPECTED, "日期不对"},
      {"runtime error without one", [] { throw rtl::EConvertError("bad date"); }, rtl::E_UNEXPECTED,
       "数据格式不正确，无法转换。"},
      {"error with a code", [] { throw rtl::EOleSysError("bad arg", rtl::E_INVALIDARG); }, rtl::E_INVALIDARG,
       "调用宿主服务失败。"},
      {"error carrying a success code", [] { throw rtl::EOleSysError("odd", 1); }, rtl::E_UNEXPECTED,
       "调用宿主服务失败。"},
      {"out of memory", [] { throw std::bad_alloc(); }, rtl::E_OUTOFMEMORY, "内存不足，操作未能完成。"},
      {"standard exception", [] { throw std::runtime_error("std"); }, rtl::E_UNEXPECTED, kInternalError},
      {"non-standard exception", [] { throw 42; }, rtl::E_UNEXPECTED, kInternalError},
  };
  for (const auto& c : cases) {
    rtl::ErrorInfo info{"sentinel"};
    EXPECT_EQ(rtl::SafeCallBoundary(c.body, &info), c.code) << c.what;
    EXPECT_EQ(info.description, c.description) << c.what;
    EXPECT_EQ(rtl::SafeCallBoundary(c.body), c.code) << c.what << " without ErrorInfo";
  }
}

// Chinese for the person: well-formed GBK holding ideographs and no Latin letters.
::testing::AssertionResult Chinese(const rtl::AnsiString& gbk) {
  rtl::WideString wide;
  try {
    wide = rtl::GbkToWide(gbk);
  } catch (const rtl::EConvertError&) {
    return ::testing::AssertionFailure() << "not GBK";
  }
  const auto any = [&wide](auto test) { return std::any_of(wide.begin(), wide.end(), test); };
  const bool ideographs = any([](char16_t c) { return c >= 0x4E00 && c <= 0x9FFF; });
  const bool latin = any([](char16_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; });
  if (ideographs && !latin) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "not Chinese: " << rtl::GbkToUtf8Display(gbk);
}

// Rethrows what it is given, so that the current exception is of any type.
template <class E>
rtl::AnsiString UserMessageWhileHandling(const E& raised) {
  try {
    throw raised;
  } catch (...) {
    return rtl::UserMessageOfCurrentException();
  }
}

TEST(UserMessage, EveryFailureIsToldInChineseAndARaisersOwnTextWins) {
  const std::vector<rtl::AnsiString> told = {UserMessageWhileHandling(rtl::Exception("x")),
                                             UserMessageWhileHandling(rtl::EConvertError("x")),
                                             UserMessageWhileHandling(rtl::EInvalidCast("x")),
                                             UserMessageWhileHandling(rtl::EInvalidOperation("x")),
                                             UserMessageWhileHandling(rtl::EVariantError("x")),
                                             UserMessageWhileHandling(rtl::EDatabaseError("x")),
                                             UserMessageWhileHandling(rtl::EComponentError("x")),
                                             UserMessageWhileHandling(rtl::EReadError("x")),
                                             UserMessageWhileHandling(rtl::EResNotFound("x")),
                                             UserMessageWhileHandling(rtl::EOleSysError("x", rtl::E_FAIL)),
                                             UserMessageWhileHandling(std::bad_alloc()),
                                             UserMessageWhileHandling(std::runtime_error("x")),
                                             UserMessageWhileHandling(42)};
  for (const rtl::AnsiString& text : told) EXPECT_TRUE(Chinese(text));
  EXPECT_EQ(UserMessageWhileHandling(rtl::EDatabaseError("locked", "数据库正忙")), "数据库正忙");
  EXPECT_EQ(UserMessageWhileHandling(rtl::EOleException("服务器说不", rtl::E_FAIL)), "服务器说不")
      << "a server's description is for the person";
  for (const auto& raise : std::initializer_list<std::function<void()>>{
           [] { rtl::GbkToWide("\x81"); }, [] { rtl::WideToGbk(u"\u00A0"); }, [] { rtl::Utf8ToWide("\xFF"); }}) {
    try {
      raise();
      ADD_FAILURE() << "expected EConvertError";
    } catch (const rtl::EConvertError& e) {
      EXPECT_TRUE(Chinese(e.UserMessage())) << e.what();
    }
  }
}

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

TEST(Units, InitializeInOrderFinalizeInReversePastRaisingUnits) {
  const struct {
    std::vector<rtl::UnitEntry> units;
    bool initialized;
    Log log;  // of initialising, then finalising when initialised
  } cases[] = {
      {{{"A", Init<1>, Fin<1>}, {"B", nullptr, nullptr}, {"C", Init<3>, Fin<3, true>}, {"D", Init<4>, Fin<4>}},
       true,
       {"init1", "init3", "init4", "fin4", "fin3!", "fin1"}},
      // a failing initialisation rolls back the units before it, in reverse
      {{{"A", Init<1>, Fin<1>}, {"B", Init<2>, Fin<2, true>}, {"C", Init<3, true>, Fin<3>}, {"D", Init<4>, Fin<4>}},
       false,
       {"init1", "init2", "init3!", "fin2!", "fin1"}},
  };
  for (const auto& c : cases) {
    gUnitLog.clear();
    EXPECT_EQ(rtl::InitializeUnits(c.units), c.initialized);
    if (c.initialized) rtl::FinalizeUnits(c.units);
    EXPECT_EQ(gUnitLog, c.log);
  }
}

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

TEST(Resources, DirectoryRejectsMalformedBlobs) {
  const Blob valid = SampleBlob();
  ASSERT_EQ(valid.size(), 60u);
  ASSERT_EQ(ParseExact(valid), 2u);
  for (std::size_t size = 0; size < valid.size(); ++size) {
    EXPECT_THROW(ParseExact(Blob(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(size))), rtl::EResNotFound)
        << "prefix of " << size << " bytes";
  }
  const struct {
    std::size_t at;  // of the u32 set to value
    std::uint32_t value;
    const char* reason;
  } cases[] = {
      {0, 0x5A534552, "bad signature"},
      {4, 3, "entry count beyond the end"},
      {4, 0xFFFFFFFF, "entry count beyond the end"},
      {20, 61, "data beyond the end"},
      {24, 13, "data beyond the end"},
      {24, 0xFFFFFFFF, "data beyond the end"},  // size wrapping around
      {40, 0xFFFFFFF0, "data beyond the end"},
      {12, 60, "name beyond the end"},
      {12, 0xFFFFFFFF, "name beyond the end"},
  };
  for (const auto& c : cases) {
    Blob blob = valid;
    velmora::test::PutLE(blob, c.at, c.value, 4);
    try {
      ParseExact(blob);
      ADD_FAILURE() << c.reason << " at " << c.at << ": expected EResNotFound";
    } catch (const rtl::EResNotFound& e) {
      EXPECT_EQ(e.Message(), std::string("Malformed resource table: ") + c.reason) << "at " << c.at;
    }
  }
}

TEST(Resources, FindsByIdAndByNameIgnoringCase) {
  const Blob blob = SampleBlob();
  EXPECT_EQ(ParseExact(BuildBlob({})), 0u);
  const rtl::TLibModule module("Sample", blob);
  const rtl::ResourceDirectory& dir = module.Resources();
  const rtl::ResourceEntry* named = dir.Find(rtl::RT_RCDATA, "tForm1");
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(std::string(named->data.begin(), named->data.end()), "abc");
  EXPECT_EQ(dir.Find(rtl::RT_STRING, "TFORM1"), nullptr) << "another type";
  EXPECT_EQ(dir.Find(rtl::RT_RCDATA, std::uint32_t{0}), nullptr) << "a named resource has no id";
  EXPECT_EQ(dir.Find(rtl::RT_STRING, ""), nullptr) << "a resource known by id has no name";
  EXPECT_EQ(rtl::LoadResource(&module, rtl::RT_STRING, std::uint32_t{1}).size(), 2u);
  EXPECT_THROW(rtl::LoadResource(&module, rtl::RT_STRING, std::uint32_t{2}), rtl::EResNotFound);
  EXPECT_THROW(rtl::LoadResource(nullptr, rtl::RT_RCDATA, "TForm1"), rtl::EResNotFound);
}

TEST(ResStrings, LoadsTheStringAtItsIndexInItsBlockOrRaises) {
  std::vector<std::u16string> first(16);
  first[0] = u"First";
  first[5] = u"中文";
  first[15] = u"Last";
  Blob truncated = velmora::test::StringBlock({u"ok"});
  truncated.insert(truncated.end(), {10, 0, 'a', 0, 'b', 0});  // a string of 10 units with 2 present
  const Blob blob = BuildBlob({{rtl::RT_STRING, "", 1, velmora::test::StringBlock(first)},
                               {rtl::RT_STRING, "", 2, velmora::test::StringBlock({u"Sixteen"})},
                               {rtl::RT_STRING, "", 3, truncated}});
  const rtl::TLibModule module("Strings", blob);
  const rtl::HINST instance = &module, unloaded = nullptr;
  const struct {
    const rtl::HINST* module;
    std::uint32_t id;
    std::string expected;
  } cases[] = {
      {&instance, 0, "First"},
      {&instance, 5, "中文"},
      {&instance, 15, "Last"},
      {&instance, 16, "Sixteen"},
      {&instance, 17, "raised: Resource string 17 not found"},  // past the strings of its block
      {&instance, 33, "raised: Malformed string table"},
      {&instance, 48, "raised: Resource 4 not found"},
      {&unloaded, 0, "raised: Resource string of an unloaded module"},
      {nullptr, 0, "raised: Resource string of an unloaded module"},
  };
  for (const auto& c : cases) {
    const rtl::TResStringRec rec{c.module, c.id};
    std::string got;
    try {
      got = rtl::LoadResString(&rec);
    } catch (const rtl::EResNotFound& e) {
      got = "raised: " + e.Message();
    }
    EXPECT_EQ(got, c.expected) << "id " << c.id;
  }
  EXPECT_THROW(rtl::LoadResString(nullptr), rtl::EResNotFound);
}

const rtl::UnitEntry kGoodUnits[] = {{"A", Init<1>, Fin<1>}, {"B", Init<2>, Fin<2>}};
const rtl::UnitEntry kBrokenUnits[] = {{"A", Init<1>, Fin<1>}, {"B", Init<2, true>, Fin<2>}};

// A library whose units failed to start answers every entry point with
// E_UNEXPECTED and finalises nothing twice. Exceptions in entry points are
// mapped as the SafeCall tests show.
TEST(PluginLibrary, EntryPointsRunOnlyWhileLoadedAndUnitsFinalizeOnce) {
  const struct {
    std::span<const rtl::UnitEntry> units;
    rtl::HResult whileLoaded;
    Log afterLoad, afterUnload;
  } cases[] = {
      {kGoodUnits, rtl::S_OK, {"init1", "init2"}, {"init1", "init2", "fin2", "fin1"}},
      {kBrokenUnits, rtl::E_UNEXPECTED, {"init1", "init2!", "fin1"}, {"init1", "init2!", "fin1"}},
  };
  for (const auto& c : cases) {
    gUnitLog.clear();
    const Blob blob = SampleBlob();
    rtl::PluginLibrary library;
    rtl::HINST instance = nullptr;
    EXPECT_EQ(library.EntryPoint([] {}), rtl::E_UNEXPECTED) << "not loaded yet";
    library.Load("Velmora", blob, c.units, instance);
    ASSERT_NE(instance, nullptr);
    EXPECT_NE(instance->Resources().Find(rtl::RT_RCDATA, "TFORM1"), nullptr);
    EXPECT_EQ(gUnitLog, c.afterLoad);
    bool ran = false;
    EXPECT_EQ(library.EntryPoint([&] { ran = true; }), c.whileLoaded);
    EXPECT_EQ(ran, c.whileLoaded == rtl::S_OK);
    EXPECT_EQ(library.EntryPoint([] { throw rtl::EDatabaseError("x"); }), rtl::E_UNEXPECTED);
    library.Unload(instance);
    EXPECT_EQ(instance, nullptr);
    EXPECT_EQ(gUnitLog, c.afterUnload);
    EXPECT_EQ(library.EntryPoint([] {}), rtl::E_UNEXPECTED) << "unloaded";
  }
}

}  // namespace
