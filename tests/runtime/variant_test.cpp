// Variants: conversions to each type, wide and 8-bit text, by-reference
// variants and addition; servers whose factory fails.
#include "runtime/variant/Variant.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "runtime/dispatch/AutoObject.h"
#include "runtime/dispatch/ComServers.h"
#include "runtime/dispatch/LateBinding.h"
#include "runtime/except/Exceptions.h"

namespace {

using rtl::HResult;
using rtl::Variant;
using rtl::VarType;

class Inert : public rtl::TAutoObject {};

Variant DispatchVariant() { return Variant(rtl::DispatchPtr(rtl::TAutoObject::Create<Inert>())); }

// Expects convert() to give *expected, or else to raise EVariantError naming
// the type of value and the type `to`.
template <class T, class Convert>
void ExpectConversion(const std::optional<T>& expected, Convert convert, const Variant& value, const char* to,
                      const char* what) {
  if (expected) {
    EXPECT_EQ(convert(), *expected) << what << " to " << to;
    return;
  }
  try {
    convert();
    ADD_FAILURE() << what << " to " << to << ": expected EVariantError";
  } catch (const rtl::EVariantError& e) {
    EXPECT_EQ(e.Message(), std::string("Could not convert variant of type (") + Variant::TypeName(value.Type()) +
                               ") into type (" + to + ")");
  }
}

TEST(Variant, ConversionsOfEachType) {
  const auto none = std::nullopt;
  const struct {
    const char* what;
    Variant value;
    std::optional<std::string> text;
    std::optional<std::int32_t> integer;
    std::optional<double> number;
    std::optional<bool> boolean;
  } cases[] = {
      {"Empty", Variant(), "", 0, 0.0, false},
      {"Integer", Variant(-7), "-7", -7, -7.0, true},
      {"Int64 beyond Integer", Variant(std::int64_t{9007199254740993}), "9007199254740993", none, 9007199254740992.0,
       true},
      {"Double, halves to even", Variant(2.5), "2.5", 2, 2.5, true},
      {"Double beyond Integer", Variant(1e20), "1e+20", none, 1e20, true},
      {"True", Variant(true), "True", -1, -1.0, true},
      {"False", Variant(false), "False", 0, 0.0, false},
      {"numeric text with blanks", Variant(" 7 "), " 7 ", 7, 7.0, true},
      {"fractional text", Variant("1.5"), "1.5", 2, 1.5, true},
      {"word text", Variant("abc"), "abc", none, none, none},
      {"empty text", Variant(""), "", none, none, none},
      {"text nan", Variant("nan"), "nan", none, none, none},
      {"text inf", Variant("inf"), "inf", none, none, none},
      {"text true", Variant(" true "), " true ", none, none, true},
      {"text FALSE", Variant("FALSE"), "FALSE", none, none, false},
      {"wide numeric text", Variant(u"42"), "42", 42, 42.0, true},
      {"Null", Variant::Null(), none, none, none, none},
      {"bytes", Variant(rtl::ByteArray{1, 2}), none, none, none, none},
      {"automation object", DispatchVariant(), none, none, none, none},
  };
  for (const auto& c : cases) {
    ExpectConversion(
        c.text, [&] { return c.value.AsString(); }, c.value, "String", c.what);
    ExpectConversion(
        c.integer, [&] { return c.value.AsInteger(); }, c.value, "Integer", c.what);
    ExpectConversion(
        c.number, [&] { return c.value.AsDouble(); }, c.value, "Double", c.what);
    ExpectConversion(
        c.boolean, [&] { return c.value.AsBoolean(); }, c.value, "Boolean", c.what);
  }
  const std::optional<int> raises;
  ExpectConversion(
      raises, [] { return Variant(5).AsByteArray().size(); }, Variant(5), "Array Byte", "Integer");
  ExpectConversion(
      raises, [] { return Variant("x").AsDispatch().Get() == nullptr; }, Variant("x"), "Dispatch", "text");
}

TEST(Variant, WideTextAndReferences) {
  EXPECT_EQ(Variant(u"中").Type(), VarType::OleStr) << "a UTF-16 literal is text, not a Boolean";
  EXPECT_EQ(Variant("中文").AsWideString(), u"中文");
  EXPECT_EQ(Variant(5).AsWideString(), u"5");
  EXPECT_THROW(Variant(u"\U0001F600").AsString(), rtl::EConvertError) << "never dropped silently";
  EXPECT_THROW(Variant("\x81'").AsWideString(), rtl::EConvertError);

  Variant target(5);
  Variant ref = Variant::Ref(&target);
  Variant refToRef = Variant::Ref(&ref);
  EXPECT_EQ(refToRef.AsInteger(), 5);
  refToRef.Target() = Variant("中");
  EXPECT_EQ(target.AsString(), "中");
  EXPECT_EQ((ref + Variant("文")).AsString(), "中文");
}

TEST(Variant, AdditionFollowsTheOperandTypes) {
  constexpr VarType kRaises = VarType::ByRef;  // no sum: EVariantError
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  const struct {
    const char* what;
    Variant a, b;
    VarType type;
    std::string text;  // AsString of the sum
  } cases[] = {
      {"text and text", Variant("ab"), Variant("cd"), VarType::String, "abcd"},
      {"ansi and wide", Variant("中"), Variant(u"文"), VarType::OleStr, "中文"},
      {"numeric text and number", Variant("12"), Variant(3), VarType::Double, "15"},
      {"integers", Variant(1), Variant(2), VarType::Integer, "3"},
      {"integers past the Integer range", Variant(std::numeric_limits<std::int32_t>::max()), Variant(1), VarType::Int64,
       "2147483648"},
      {"Int64 beyond a Double's precision", Variant(std::int64_t{9007199254740993}), Variant(2), VarType::Int64,
       "9007199254740995"},
      {"Int64 at its limit", Variant(kMax - 1), Variant(1), VarType::Int64, "9223372036854775807"},
      {"Double and Integer", Variant(1.5), Variant(1), VarType::Double, "2.5"},
      {"Null and number", Variant::Null(), Variant(1), VarType::Null, ""},
      {"text and Null", Variant("a"), Variant::Null(), VarType::Null, ""},
      {"Empty and number", Variant(), Variant(5), VarType::Integer, "5"},
      {"text and Empty", Variant("x"), Variant(), VarType::String, "x"},
      {"Int64 overflow", Variant(kMax), Variant(1), kRaises, ""},
      {"negative Int64 overflow", Variant(-kMax - 1), Variant(std::int64_t{-1}), kRaises, ""},
      {"word text and number", Variant("abc"), Variant(1), kRaises, ""},
      {"automation object and text", DispatchVariant(), Variant("x"), kRaises, ""},
      {"bytes and bytes", Variant(rtl::ByteArray{1}), Variant(rtl::ByteArray{2}), kRaises, ""},
  };
  for (const auto& c : cases) {
    if (c.type == kRaises) {
      EXPECT_THROW(c.a + c.b, rtl::EVariantError) << c.what;
      continue;
    }
    const Variant sum = c.a + c.b;
    EXPECT_EQ(sum.Type(), c.type) << c.what << ": got " << Variant::TypeName(sum.Type());
    if (c.type != VarType::Null) {
      EXPECT_EQ(sum.AsString(), c.text) << c.what;
    }
  }
}

// Late binding by name, through the platform on Windows, is tested in
// com_test; here what a server's factory does wrong.
TEST(LateBinding, CreateOleObjectRaisesWhenTheFactoryFailsOrGivesNoObject) {
  const struct {
    const char* what;
    rtl::ComServerFactory factory;
    HResult code;
  } cases[] = {
      {"factory failing", [](rtl::DispatchPtr&) { return rtl::E_OUTOFMEMORY; }, rtl::E_OUTOFMEMORY},
      {"no object", [](rtl::DispatchPtr&) { return rtl::S_OK; }, rtl::CO_E_SERVER_EXEC_FAILURE},
      {"factory raising", [](rtl::DispatchPtr&) -> HResult { throw rtl::EConvertError("x"); },
       rtl::CO_E_SERVER_EXEC_FAILURE},
  };
  for (const auto& c : cases) {
    rtl::ComServerRegistration registration("Test.Broken", c.factory);
    try {
      rtl::CreateOleObject("Test.Broken");
      ADD_FAILURE() << c.what << ": expected EOleSysError";
    } catch (const rtl::EOleSysError& e) {
      EXPECT_EQ(e.ErrorCode(), c.code) << c.what;
      EXPECT_EQ(e.Message(), "Server execution failed for 'Test.Broken'") << c.what;
    }
  }
  EXPECT_THROW(rtl::CreateOleObject("Test.Broken"), rtl::EOleSysError) << "a registration ends with its object";
  EXPECT_THROW(rtl::Invoke(Variant(), "Echo", {1}), rtl::EVariantError) << "no object";
}

}  // namespace
