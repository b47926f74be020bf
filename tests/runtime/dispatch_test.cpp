// Late binding: automation objects with members by exact name, calls through
// variants, by-reference text, reference counting, and the table of servers
// by ProgID.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/dispatch/AutoObject.h"
#include "runtime/dispatch/ComServers.h"
#include "runtime/except/Exceptions.h"
#include "runtime/variant/Variant.h"

namespace {

using rtl::HResult;
using rtl::Variant;

class Calculator : public rtl::TAutoObject {
 public:
  static inline int alive = 0;

  Calculator() {
    ++alive;
    AddMember("Add", 2, [](std::span<Variant> a) { return Variant(a[0].AsInteger() + a[1].AsInteger()); });
    AddMember("Concat", 2, [](std::span<Variant> a) { return Variant(TextArg(a, 0) + TextArg(a, 1)); });
    AddMember("Echo", 1, [](std::span<Variant> a) { return a[0].Target(); });
    AddMember("Fail", 0, [](std::span<Variant>) -> Variant { throw rtl::EDatabaseError("数据库错误"); });
    AddMember("Wrap", 1, [](std::span<Variant> a) {
      rtl::WideString wrapped(u"【");
      wrapped.append(a[0].AsWideString()).append(u"】");
      a[0].Target() = Variant(wrapped);
      return Variant();
    });
    AddMember("Keep", 1, [](std::span<Variant> a) { return Variant(TextArg(a, 0)); });
  }
  ~Calculator() override { --alive; }
};

Variant NewCalculator() { return Variant(rtl::DispatchPtr(rtl::TAutoObject::Create<Calculator>())); }

// Runs call and returns the EOleSysError it raises.
template <class Call>
rtl::EOleSysError Raised(Call call) {
  try {
    call();
  } catch (const rtl::EOleSysError& e) {
    return e;
  }
  ADD_FAILURE() << "expected EOleSysError";
  return rtl::EOleSysError("", rtl::S_OK);
}

class LateBinding : public ::testing::Test {
 protected:
  void TearDown() override {
    object = Variant();
    EXPECT_EQ(Calculator::alive, 0) << "expected every automation object released, got " << Calculator::alive;
  }
  Variant object = NewCalculator();
};

TEST_F(LateBinding, CallErrorsRaiseWithTheirCode) {
  const struct {
    const char* what;
    std::function<void()> call;
    HResult code;
    const char* message;
  } cases[] = {
      {"unknown name", [&] { object.Invoke("Nope"); }, rtl::DISP_E_UNKNOWNNAME,
       "Method 'Nope' not supported by automation object"},
      {"name in another letter case", [&] { object.Invoke("add", {1, 2}); }, rtl::DISP_E_UNKNOWNNAME,
       "Method 'add' not supported by automation object"},
      {"too few arguments", [&] { object.Invoke("Add", {1}); }, rtl::DISP_E_BADPARAMCOUNT,
       "Invalid number of parameters for 'Add'"},
      {"too many arguments", [&] { object.Invoke("Fail", {1}); }, rtl::DISP_E_BADPARAMCOUNT,
       "Invalid number of parameters for 'Fail'"},
      {"second argument of the wrong type", [&] { object.Invoke("Concat", {"a", 5}); }, rtl::DISP_E_TYPEMISMATCH,
       "Type mismatch in parameter 2 of 'Concat'"},
      {"member raising", [&] { object.Invoke("Fail"); }, rtl::DISP_E_EXCEPTION, "数据库错误"},
  };
  for (const auto& c : cases) {
    const rtl::EOleSysError e = Raised(c.call);
    EXPECT_EQ(e.ErrorCode(), c.code) << c.what;
    EXPECT_EQ(e.Message(), c.message) << c.what;
  }
  EXPECT_THROW(object.Invoke("Fail"), rtl::EOleException);
}

TEST_F(LateBinding, CallsByNameWithEightBitTextArrivingAsAutomationString) {
  EXPECT_EQ(object.Invoke("Add", {2, 3}).AsInteger(), 5);
  const Variant echoed = object.Invoke("Echo", {"密码"});
  EXPECT_EQ(echoed.Type(), rtl::VarType::OleStr);
  EXPECT_EQ(echoed.AsWideString(), u"密码");
  EXPECT_EQ(object.Invoke("Echo", {7}).Type(), rtl::VarType::Integer);
  EXPECT_THROW(Variant().Invoke("Echo", {1}), rtl::EVariantError) << "no object";
}

TEST_F(LateBinding, ByReferenceTextIsCopiedBackWhenTheServerWritesIt) {
  rtl::AnsiString text = "张三";
  rtl::InvokeWithRefs(object, "Wrap", {rtl::TextRef(text)});
  EXPECT_EQ(text, "【张三】");
  rtl::AnsiString kept = "李四";
  EXPECT_EQ(rtl::InvokeWithRefs(object, "Keep", {rtl::TextRef(kept)}).AsString(), "李四");
  EXPECT_EQ(kept, "李四");
}

TEST_F(LateBinding, InvokeByIdReportsThroughItsOutParameters) {
  rtl::IDispatch* dispatch = object.AsDispatch().Get();
  rtl::DispId id = -99;
  EXPECT_EQ(dispatch->GetIDsOfNames(u"Concat", nullptr), rtl::E_POINTER);
  EXPECT_EQ(dispatch->GetIDsOfNames(u"concat", &id), rtl::DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, -99) << "id untouched on failure";
  ASSERT_EQ(dispatch->GetIDsOfNames(u"Concat", &id), rtl::S_OK);

  std::vector<Variant> args{Variant(u"a"), Variant(1)};
  Variant result("sentinel");
  rtl::ErrorInfo error{"src", "desc"};
  std::uint32_t argErr = 0xDEADBEEF;
  EXPECT_EQ(dispatch->Invoke(id, rtl::DispatchKind::Method, args, &result, &error, &argErr), rtl::DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 1u);
  EXPECT_EQ(result.AsString(), "sentinel");
  EXPECT_EQ(error.description, "desc");
  args[1] = Variant(u"b");
  argErr = 0xDEADBEEF;
  EXPECT_EQ(dispatch->Invoke(id, rtl::DispatchKind::PropertyGet, args, &result, &error, &argErr), rtl::S_OK);
  EXPECT_EQ(result.AsString(), "ab");
  EXPECT_EQ(argErr, 0xDEADBEEFu);
  EXPECT_EQ(dispatch->Invoke(99, rtl::DispatchKind::Method, {}, &result, &error, &argErr), rtl::DISP_E_MEMBERNOTFOUND);
}

TEST(ComPtrCounting, ObjectLivesUntilTheLastReferenceGoes) {
  ASSERT_EQ(Calculator::alive, 0);
  rtl::ComPtr<Calculator> first = rtl::TAutoObject::Create<Calculator>();
  EXPECT_EQ(first->AddRef(), 2u) << "Create hands out exactly one reference";
  EXPECT_EQ(first->Release(), 1u);
  rtl::DispatchPtr second = first;
  Variant third(second);
  first.Reset();
  second.Reset();
  EXPECT_EQ(Calculator::alive, 1);
  third = Variant();
  EXPECT_EQ(Calculator::alive, 0);
}

class ComServers : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(Calculator::alive, 0); }
  static HResult MakeCalculator(rtl::DispatchPtr& out) {
    out = rtl::TAutoObject::Create<Calculator>();
    return rtl::S_OK;
  }
};

TEST_F(ComServers, CreateOleObjectStartsARegisteredServerIgnoringCase) {
  rtl::ComServerRegistration registration("Test.Calculator", MakeCalculator);
  const Variant a = rtl::CreateOleObject("Test.Calculator");
  const Variant b = rtl::CreateOleObject("TEST.calculator");
  EXPECT_EQ(a.Invoke("Add", {40, 2}).AsInteger(), 42);
  EXPECT_FALSE(a.AsDispatch() == b.AsDispatch()) << "each call starts a new object";
}

TEST_F(ComServers, FailuresRaiseEOleSysErrorWithTheirCode) {
  const struct {
    const char* what;
    rtl::ComServerFactory factory;
    HResult code;
  } cases[] = {
      {"factory failing", [](rtl::DispatchPtr&) { return rtl::E_OUTOFMEMORY; }, rtl::E_OUTOFMEMORY},
      {"factory succeeding without an object", [](rtl::DispatchPtr&) { return rtl::S_OK; },
       rtl::CO_E_SERVER_EXEC_FAILURE},
      {"factory raising",
       [](rtl::DispatchPtr&) -> HResult { throw rtl::EConvertError("broken"); }, rtl::CO_E_SERVER_EXEC_FAILURE},
  };
  for (const auto& c : cases) {
    rtl::ComServerRegistration registration("Test.Broken", c.factory);
    const rtl::EOleSysError e = Raised([] { rtl::CreateOleObject("Test.Broken"); });
    EXPECT_EQ(e.ErrorCode(), c.code) << c.what;
    EXPECT_EQ(e.Message(), "Server execution failed for 'Test.Broken'") << c.what;
  }
}

TEST_F(ComServers, UnregisteredProgIdIsAnInvalidClassString) {
  const rtl::EOleSysError e = Raised([] { rtl::CreateOleObject("Test.Nobody"); });
  EXPECT_EQ(e.ErrorCode(), rtl::CO_E_CLASSSTRING);
  EXPECT_EQ(e.Message(), "Invalid class string");
}

TEST_F(ComServers, RegistrationEndsWithItsObject) {
  {
    rtl::ComServerRegistration registration("Test.Calculator", MakeCalculator);
  }
  EXPECT_EQ(Raised([] { rtl::CreateOleObject("Test.Calculator"); }).ErrorCode(), rtl::CO_E_CLASSSTRING);
}

TEST_F(ComServers, DuplicateRegistrationRaisesAndKeepsTheFirst) {
  rtl::ComServerRegistration registration("Test.Calculator", MakeCalculator);
  EXPECT_THROW(rtl::ComServerRegistration("TEST.CALCULATOR", MakeCalculator), rtl::EOleSysError);
  EXPECT_EQ(rtl::CreateOleObject("Test.Calculator").Invoke("Add", {1, 1}).AsInteger(), 2);
}

}  // namespace
