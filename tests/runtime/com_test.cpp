// Automation through the platform: a server registered by ProgID, created
// with CreateOleObject and called late-bound. On Windows every call here
// goes through COM (class object, CLSIDFromProgID, CoCreateInstance,
// IDispatch); elsewhere through the runtime's own table. The expectations
// are the same on both.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/db/DataPacket.h"
#include "runtime/dispatch/AutoObject.h"
#include "runtime/dispatch/ComServers.h"
#include "runtime/dispatch/LateBinding.h"
#include "runtime/except/Exceptions.h"
#include "tests/support/Expectations.h"

namespace {

using rtl::HResult;
using rtl::Variant;
using rtl::VarType;

constexpr const char* kProgId = "Velmora.Test.Probe";

class Probe : public rtl::TAutoObject {
 public:
  static inline int alive = 0;
  static inline std::vector<std::string> arrivals;  // how each Note argument arrived
  static inline Variant leftBehind;                 // what Leave writes through its reference

  Probe() {
    ++alive;
    AddMember("Echo", 1, [](std::span<Variant> a) { return a[0].Target(); });
    AddMember("Note", 1, [](std::span<Variant> a) {
      std::string how = Variant::TypeName(a[0].Type());
      if (a[0].Type() == VarType::ByRef) how += std::string(" ") + Variant::TypeName(a[0].Target().Type());
      arrivals.push_back(how);
      return Variant();
    });
    // Writes the text it was given, doubled, back through the reference.
    AddMember("Double", 1, [](std::span<Variant> a) {
      a[0].Target() = Variant(a[0].Target().AsWideString() + a[0].Target().AsWideString());
      return Variant(std::int32_t{1});
    });
    AddMember("Leave", 1, [](std::span<Variant> a) {
      a[0].Target() = leftBehind;
      return Variant(std::int32_t{1});
    });
    AddMember("Fail", 0, [](std::span<Variant>) -> Variant { throw rtl::EDatabaseError("disk full", "磁盘已满"); });
    AddMember("Concat", 2, [](std::span<Variant> a) { return Variant(TextArg(a, 0) + TextArg(a, 1)); });
  }
  ~Probe() override { --alive; }
};

class ThroughPlatform : public ::testing::Test {
 protected:
  void SetUp() override { Probe::arrivals.clear(); }
  void TearDown() override {
    object_ = Variant();
    EXPECT_EQ(Probe::alive, 0) << "expected every server object released";
  }
  static HResult MakeProbe(rtl::DispatchPtr& out) {
    out = rtl::TAutoObject::Create<Probe>();
    return rtl::S_OK;
  }

  rtl::ComServerRegistration registration_{kProgId, MakeProbe};
  Variant object_ = rtl::CreateOleObject(kProgId);
};

// The EOleSysError that call raises.
rtl::EOleSysError Raised(const std::function<void()>& call) {
  try {
    call();
  } catch (const rtl::EOleSysError& e) {
    return e;
  }
  ADD_FAILURE() << "expected EOleSysError";
  return rtl::EOleSysError("", rtl::S_OK);
}

rtl::ByteArray SomePacket() {
  rtl::DataPacket packet;
  packet.AddField("password", rtl::ftString);
  packet.AppendRow({Variant("5f4dcc3b5aa765d61d8327deb882cf99")});
  packet.AppendRow({Variant::Null()});
  return rtl::EncodeDataPacket(packet);
}

TEST_F(ThroughPlatform, ValuesComeBackWithTheirTypeAndValue) {
  const struct {
    const char* what;
    Variant sent;
    VarType type;
  } cases[] = {
      {"empty", Variant(), VarType::Empty},
      {"null", Variant::Null(), VarType::Null},
      {"integer", Variant(std::int32_t{-7}), VarType::Integer},
      {"int64", Variant(std::int64_t{1} << 40), VarType::Int64},
      {"double", Variant(2.5), VarType::Double},
      {"boolean", Variant(true), VarType::Boolean},
      {"wide text with a NUL", Variant(rtl::WideString(u"用户\0名", 4)), VarType::OleStr},
      {"bytes with zeros and 0xFF", Variant(rtl::ByteArray{0, 0xFF, 0, 7}), VarType::Bytes},
      {"no bytes", Variant(rtl::ByteArray{}), VarType::Bytes},
      {"data packet", Variant(SomePacket()), VarType::Bytes},
  };
  for (const auto& c : cases) {
    const Variant back = rtl::Invoke(object_, "Echo", {c.sent});
    ASSERT_EQ(back.Type(), c.type) << c.what << ": got " << Variant::TypeName(back.Type());
    switch (c.type) {
      case VarType::Empty:
      case VarType::Null: break;
      case VarType::Bytes: EXPECT_EQ(back.AsByteArray(), c.sent.AsByteArray()) << c.what; break;
      case VarType::OleStr: EXPECT_EQ(back.AsWideString(), c.sent.AsWideString()) << c.what; break;
      default: EXPECT_EQ(back.AsString(), c.sent.AsString()) << c.what; break;
    }
  }
  const rtl::DataPacket decoded =
      rtl::DecodeDataPacket(rtl::Invoke(object_, "Echo", {Variant(SomePacket())}).AsByteArray());
  ASSERT_EQ(decoded.rows.size(), 2u);
  EXPECT_EQ(rtl::EncodeDataPacket(decoded), SomePacket());
}

TEST_F(ThroughPlatform, TextGoesByValueAsAutomationStringAndByReferenceAsItsReference) {
  rtl::Invoke(object_, "Note", {"密码"});
  rtl::AnsiString text = "密码";
  rtl::InvokeWithRefs(object_, "Note", {rtl::TextRef(text)});
  EXPECT_EQ(Probe::arrivals, (std::vector<std::string>{"OleStr", "ByRef OleStr"}));
  EXPECT_EQ(text, "密码") << "a reference the server left alone is unchanged";
}

TEST_F(ThroughPlatform, WhatTheServerWritesThroughAReferenceReachesTheCaller) {
  rtl::AnsiString text = "改";
  EXPECT_EQ(rtl::InvokeWithRefs(object_, "Double", {rtl::TextRef(text)}).AsInteger(), 1);
  EXPECT_EQ(text, "改改");
  Variant wide(u"ab");
  std::vector<Variant> args{Variant::Ref(&wide)};
  rtl::Invoke(object_, "Double", std::span<Variant>(args));
  EXPECT_EQ(wide.AsWideString(), u"abab");
}

struct LeftCase {
  const char* name;
  Variant left;  // what the server leaves in the by-reference text
};

class UnusableReferenceText : public ThroughPlatform, public ::testing::WithParamInterface<LeftCase> {};

// The call succeeded: what the server left cannot undo that, and what the
// variable cannot hold leaves it as it was.
TEST_P(UnusableReferenceText, KeepsTheCallersVariable) {
  Probe::leftBehind = GetParam().left;
  rtl::AnsiString text = "旧";
  EXPECT_EQ(rtl::InvokeWithRefs(object_, "Leave", {rtl::TextRef(text)}).AsInteger(), 1);
  EXPECT_EQ(text, "旧") << velmora::test::Readable(text);
}

INSTANTIATE_TEST_SUITE_P(Values, UnusableReferenceText,
                         ::testing::Values(LeftCase{"TextGbkLacks", Variant(u"한글")},
                                           LeftCase{"Integer", Variant(std::int32_t{7})},
                                           LeftCase{"Null", Variant::Null()}, LeftCase{"Empty", Variant()},
                                           LeftCase{"Bytes", Variant(rtl::ByteArray{1, 2})}),
                         velmora::test::CaseName());

TEST_F(ThroughPlatform, FailuresRaiseWithTheirCodeAndTheServersText) {
  const struct {
    std::function<void()> call;
    HResult code;
    const char* message;
  } cases[] = {
      {[&] { rtl::Invoke(object_, "Fail"); }, rtl::DISP_E_EXCEPTION, "磁盘已满"},
      {[&] { rtl::Invoke(object_, "Missing"); }, rtl::DISP_E_UNKNOWNNAME,
       "Method 'Missing' not supported by automation object"},
      {[&] { rtl::Invoke(object_, "echo", {1}); }, rtl::DISP_E_UNKNOWNNAME,
       "Method 'echo' not supported by automation object"},
      {[&] {
         rtl::Invoke(object_, "Echo", {1, 2});
       },
       rtl::DISP_E_BADPARAMCOUNT, "Invalid number of parameters for 'Echo'"},
      {[&] {
         rtl::Invoke(object_, "Concat", {"a", 5});
       },
       rtl::DISP_E_TYPEMISMATCH, "Type mismatch in parameter 2 of 'Concat'"},
      {[] { rtl::CreateOleObject("Velmora.Test.Nobody"); }, rtl::CO_E_CLASSSTRING, "Invalid class string"},
  };
  for (const auto& c : cases) {
    const rtl::EOleSysError e = Raised(c.call);
    EXPECT_EQ(e.ErrorCode(), c.code) << c.message;
    EXPECT_EQ(e.Message(), c.message);
  }
  EXPECT_EQ(Raised([&] { rtl::Invoke(object_, "Fail"); }).UserMessage(), "磁盘已满") << "the text the person is shown";
}

TEST_F(ThroughPlatform, EachCreationIsANewObjectReleasedWithItsLastReference) {
  {
    const Variant second = rtl::CreateOleObject("VELMORA.test.probe");
    EXPECT_EQ(Probe::alive, 2);
    const Variant copy = second;  // NOLINT(performance-unnecessary-copy-initialization): the copy is tested
    EXPECT_EQ(rtl::Invoke(copy, "Echo", {3}).AsInteger(), 3);
  }
  EXPECT_EQ(Probe::alive, 1);
  EXPECT_THROW(rtl::ComServerRegistration(kProgId, MakeProbe), rtl::EOleSysError) << "one registration per ProgID";
  EXPECT_EQ(rtl::Invoke(object_, "Echo", {4}).AsInteger(), 4) << "the first registration stays";
}

}  // namespace
