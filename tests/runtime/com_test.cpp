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

struct EchoCase {
  std::string name;
  Variant sent;
  VarType type;
};

void PrintTo(const EchoCase& c, std::ostream* os) { *os << c.name; }

// A value sent to the server and echoed back.
class Echo : public ThroughPlatform, public ::testing::WithParamInterface<EchoCase> {
 protected:
  Variant Back() { return rtl::Invoke(object_, "Echo", {GetParam().sent}); }
};

TEST_P(Echo, ComesBackWithItsType) {
  const Variant back = Back();
  EXPECT_EQ(back.Type(), GetParam().type) << "got " << Variant::TypeName(back.Type());
}

TEST_P(Echo, ComesBackWithItsValue) {
  const Variant back = Back();
  const Variant& sent = GetParam().sent;
  switch (GetParam().type) {
    case VarType::Empty:
    case VarType::Null: EXPECT_EQ(back.Type(), GetParam().type); break;
    case VarType::Bytes: EXPECT_EQ(back.AsByteArray(), sent.AsByteArray()); break;
    case VarType::OleStr: EXPECT_EQ(back.AsWideString(), sent.AsWideString()); break;
    default: EXPECT_EQ(back.AsString(), sent.AsString()); break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, Echo,
    ::testing::Values(EchoCase{"Empty", Variant(), VarType::Empty}, EchoCase{"Null", Variant::Null(), VarType::Null},
                      EchoCase{"Integer", Variant(std::int32_t{-7}), VarType::Integer},
                      EchoCase{"Int64", Variant(std::int64_t{1} << 40), VarType::Int64},
                      EchoCase{"Double", Variant(2.5), VarType::Double},
                      EchoCase{"Boolean", Variant(true), VarType::Boolean},
                      EchoCase{"WideTextWithANul", Variant(rtl::WideString(u"用户\0名", 4)), VarType::OleStr},
                      EchoCase{"BytesWithZerosAndFF", Variant(rtl::ByteArray{0, 0xFF, 0, 7}), VarType::Bytes},
                      EchoCase{"NoBytes", Variant(rtl::ByteArray{}), VarType::Bytes},
                      EchoCase{"DataPacket", Variant(SomePacket()), VarType::Bytes}),
    velmora::test::CaseName());

TEST_F(ThroughPlatform, EchoedDataPacketDecodesToTheSameRows) {
  const rtl::DataPacket decoded =
      rtl::DecodeDataPacket(rtl::Invoke(object_, "Echo", {Variant(SomePacket())}).AsByteArray());
  ASSERT_EQ(decoded.rows.size(), 2u);
  EXPECT_EQ(rtl::EncodeDataPacket(decoded), SomePacket());
}

TEST_F(ThroughPlatform, TextByValueArrivesAsAutomationString) {
  rtl::Invoke(object_, "Note", {"密码"});
  EXPECT_EQ(Probe::arrivals, std::vector<std::string>{"OleStr"});
}

TEST_F(ThroughPlatform, TextByReferenceArrivesAsAReferenceToAutomationString) {
  rtl::AnsiString text = "密码";
  rtl::InvokeWithRefs(object_, "Note", {rtl::TextRef(text)});
  EXPECT_EQ(Probe::arrivals, std::vector<std::string>{"ByRef OleStr"});
}

TEST_F(ThroughPlatform, ReferenceTheServerLeftAloneIsUnchanged) {
  rtl::AnsiString text = "密码";
  rtl::InvokeWithRefs(object_, "Note", {rtl::TextRef(text)});
  EXPECT_EQ(text, "密码");
}

TEST_F(ThroughPlatform, WhatTheServerWritesThroughATextReferenceReachesTheCaller) {
  rtl::AnsiString text = "改";
  EXPECT_EQ(rtl::InvokeWithRefs(object_, "Double", {rtl::TextRef(text)}).AsInteger(), 1);
  EXPECT_EQ(text, "改改");
}

TEST_F(ThroughPlatform, WhatTheServerWritesThroughAVariantReferenceReachesTheCaller) {
  Variant wide(u"ab");
  std::vector<Variant> args{Variant::Ref(&wide)};
  rtl::Invoke(object_, "Double", std::span<Variant>(args));
  EXPECT_EQ(wide.AsWideString(), u"abab");
}

struct LeftCase {
  const char* name;
  Variant left;  // what the server leaves in the by-reference text
};

void PrintTo(const LeftCase& c, std::ostream* os) { *os << c.name; }

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

struct FailureCase {
  std::string name;
  void (*call)(const Variant& object);
  HResult code;
  std::string message;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class Failure : public ThroughPlatform, public ::testing::WithParamInterface<FailureCase> {
 protected:
  rtl::EOleSysError Error() {
    return Raised([this] { GetParam().call(object_); });
  }
};

TEST_P(Failure, RaisesWithItsCode) { EXPECT_EQ(Error().ErrorCode(), GetParam().code); }

TEST_P(Failure, RaisesWithItsMessage) { EXPECT_EQ(Error().Message(), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(
    Calls, Failure,
    ::testing::Values(FailureCase{"ServerRaising", [](const Variant& o) { rtl::Invoke(o, "Fail"); },
                                  rtl::DISP_E_EXCEPTION, "磁盘已满"},
                      FailureCase{"UnknownMember", [](const Variant& o) { rtl::Invoke(o, "Missing"); },
                                  rtl::DISP_E_UNKNOWNNAME, "Method 'Missing' not supported by automation object"},
                      FailureCase{"MemberInAnotherCase", [](const Variant& o) { rtl::Invoke(o, "echo", {1}); },
                                  rtl::DISP_E_UNKNOWNNAME, "Method 'echo' not supported by automation object"},
                      FailureCase{"TooManyArguments",
                                  [](const Variant& o) {
                                    rtl::Invoke(o, "Echo", {1, 2});
                                  },
                                  rtl::DISP_E_BADPARAMCOUNT, "Invalid number of parameters for 'Echo'"},
                      FailureCase{"ArgumentOfTheWrongType",
                                  [](const Variant& o) {
                                    rtl::Invoke(o, "Concat", {"a", 5});
                                  },
                                  rtl::DISP_E_TYPEMISMATCH, "Type mismatch in parameter 2 of 'Concat'"},
                      FailureCase{"UnknownProgId", [](const Variant&) { rtl::CreateOleObject("Velmora.Test.Nobody"); },
                                  rtl::CO_E_CLASSSTRING, "Invalid class string"}),
    velmora::test::CaseName());

TEST_F(ThroughPlatform, ServersTextIsWhatThePersonIsShown) {
  EXPECT_EQ(Raised([&] { rtl::Invoke(object_, "Fail"); }).UserMessage(), "磁盘已满");
}

TEST_F(ThroughPlatform, EachCreationIsANewObject) {
  const Variant second = rtl::CreateOleObject("VELMORA.test.probe");
  EXPECT_EQ(Probe::alive, 2);
}

TEST_F(ThroughPlatform, ObjectLivesUntilItsLastReference) {
  {
    const Variant second = rtl::CreateOleObject(kProgId);
    const Variant copy = second;  // NOLINT(performance-unnecessary-copy-initialization): the copy is tested
    EXPECT_EQ(rtl::Invoke(copy, "Echo", {3}).AsInteger(), 3);
  }
  EXPECT_EQ(Probe::alive, 1);
}

TEST_F(ThroughPlatform, SecondRegistrationOfAProgIdRaisesKeepingTheFirst) {
  EXPECT_THROW(rtl::ComServerRegistration(kProgId, MakeProbe), rtl::EOleSysError);
  EXPECT_EQ(rtl::Invoke(object_, "Echo", {4}).AsInteger(), 4);
}

}  // namespace
