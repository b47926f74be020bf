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
#include "tests/support/Expectations.h"

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

constexpr auto none = std::nullopt;

struct ConversionCase {
  std::string name;
  Variant value;
  std::optional<std::string> text;
  std::optional<std::int32_t> integer;
  std::optional<double> number;
  std::optional<bool> boolean;
};

void PrintTo(const ConversionCase& c, std::ostream* os) { *os << c.name; }

class Conversion : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(Conversion, ToString) {
  const Variant& v = GetParam().value;
  ExpectConversion(
      GetParam().text, [&] { return v.AsString(); }, v, "String", GetParam().name.c_str());
}

TEST_P(Conversion, ToInteger) {
  const Variant& v = GetParam().value;
  ExpectConversion(
      GetParam().integer, [&] { return v.AsInteger(); }, v, "Integer", GetParam().name.c_str());
}

TEST_P(Conversion, ToDouble) {
  const Variant& v = GetParam().value;
  ExpectConversion(
      GetParam().number, [&] { return v.AsDouble(); }, v, "Double", GetParam().name.c_str());
}

TEST_P(Conversion, ToBoolean) {
  const Variant& v = GetParam().value;
  ExpectConversion(
      GetParam().boolean, [&] { return v.AsBoolean(); }, v, "Boolean", GetParam().name.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Variants, Conversion,
    ::testing::Values(ConversionCase{"Empty", Variant(), "", 0, 0.0, false},
                      ConversionCase{"Integer", Variant(-7), "-7", -7, -7.0, true},
                      ConversionCase{"Int64BeyondInteger", Variant(std::int64_t{9007199254740993}), "9007199254740993",
                                     none, 9007199254740992.0, true},
                      ConversionCase{"DoubleHalvesToEven", Variant(2.5), "2.5", 2, 2.5, true},
                      ConversionCase{"DoubleBeyondInteger", Variant(1e20), "1e+20", none, 1e20, true},
                      ConversionCase{"True", Variant(true), "True", -1, -1.0, true},
                      ConversionCase{"False", Variant(false), "False", 0, 0.0, false},
                      ConversionCase{"NumericTextWithBlanks", Variant(" 7 "), " 7 ", 7, 7.0, true},
                      ConversionCase{"FractionalText", Variant("1.5"), "1.5", 2, 1.5, true},
                      ConversionCase{"WordText", Variant("abc"), "abc", none, none, none},
                      ConversionCase{"EmptyText", Variant(""), "", none, none, none},
                      ConversionCase{"TextNan", Variant("nan"), "nan", none, none, none},
                      ConversionCase{"TextInf", Variant("inf"), "inf", none, none, none},
                      ConversionCase{"TextTrue", Variant(" true "), " true ", none, none, true},
                      ConversionCase{"TextFalse", Variant("FALSE"), "FALSE", none, none, false},
                      ConversionCase{"WideNumericText", Variant(u"42"), "42", 42, 42.0, true},
                      ConversionCase{"Null", Variant::Null(), none, none, none, none},
                      ConversionCase{"Bytes", Variant(rtl::ByteArray{1, 2}), none, none, none, none},
                      ConversionCase{"AutomationObject", DispatchVariant(), none, none, none, none}),
    velmora::test::CaseName());

TEST(Variant, IntegerIsNoByteArray) {
  const std::optional<int> raises;
  ExpectConversion(
      raises, [] { return Variant(5).AsByteArray().size(); }, Variant(5), "Array Byte", "Integer");
}

TEST(Variant, TextIsNoAutomationObject) {
  const std::optional<int> raises;
  ExpectConversion(
      raises, [] { return Variant("x").AsDispatch().Get() == nullptr; }, Variant("x"), "Dispatch", "text");
}

TEST(Variant, Utf16LiteralIsText) { EXPECT_EQ(Variant(u"中").Type(), VarType::OleStr) << "not a Boolean"; }

TEST(Variant, GbkTextWidens) { EXPECT_EQ(Variant("中文").AsWideString(), u"中文"); }

TEST(Variant, NumberWidensAsItsText) { EXPECT_EQ(Variant(5).AsWideString(), u"5"); }

TEST(Variant, WideTextGbkLacksRaises) {
  EXPECT_THROW(Variant(u"\U0001F600").AsString(), rtl::EConvertError) << "never dropped silently";
}

TEST(Variant, MalformedGbkTextRaisesWhenWidened) { EXPECT_THROW(Variant("\x81'").AsWideString(), rtl::EConvertError); }

// A reference to a reference to an Integer.
class References : public ::testing::Test {
 protected:
  Variant target{5};
  Variant ref = Variant::Ref(&target);
  Variant refToRef = Variant::Ref(&ref);
};

TEST_F(References, ReadTheirTarget) { EXPECT_EQ(refToRef.AsInteger(), 5); }

TEST_F(References, WriteTheirTarget) {
  refToRef.Target() = Variant("中");
  EXPECT_EQ(target.AsString(), "中");
}

TEST_F(References, AddAsTheirTarget) {
  target = Variant("中");
  EXPECT_EQ((ref + Variant("文")).AsString(), "中文");
}

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

struct SumCase {
  std::string name;
  Variant a, b;
  VarType type;
  std::string text;  // AsString of the sum, unless Null
};

void PrintTo(const SumCase& c, std::ostream* os) { *os << c.name; }

class Sum : public ::testing::TestWithParam<SumCase> {};

TEST_P(Sum, HasTheTypeTheOperandsGive) {
  const Variant sum = GetParam().a + GetParam().b;
  EXPECT_EQ(sum.Type(), GetParam().type) << "got " << Variant::TypeName(sum.Type());
}

TEST_P(Sum, HasTheValue) {
  const Variant sum = GetParam().a + GetParam().b;
  if (GetParam().type == VarType::Null) {
    EXPECT_TRUE(sum.IsNull());
  } else {
    EXPECT_EQ(sum.AsString(), GetParam().text);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Variants, Sum,
    ::testing::Values(SumCase{"Texts", Variant("ab"), Variant("cd"), VarType::String, "abcd"},
                      SumCase{"AnsiWithWide", Variant("中"), Variant(u"文"), VarType::OleStr, "中文"},
                      SumCase{"NumericTextWithNumber", Variant("12"), Variant(3), VarType::Double, "15"},
                      SumCase{"Integers", Variant(1), Variant(2), VarType::Integer, "3"},
                      SumCase{"IntegersPastTheIntegerRange", Variant(std::numeric_limits<std::int32_t>::max()),
                              Variant(1), VarType::Int64, "2147483648"},
                      SumCase{"Int64BeyondADoublesPrecision", Variant(std::int64_t{9007199254740993}), Variant(2),
                              VarType::Int64, "9007199254740995"},
                      SumCase{"Int64AtItsLimit", Variant(kMax - 1), Variant(1), VarType::Int64, "9223372036854775807"},
                      SumCase{"DoubleWithInteger", Variant(1.5), Variant(1), VarType::Double, "2.5"},
                      SumCase{"NullWithNumber", Variant::Null(), Variant(1), VarType::Null, ""},
                      SumCase{"TextWithNull", Variant("a"), Variant::Null(), VarType::Null, ""},
                      SumCase{"EmptyWithNumber", Variant(), Variant(5), VarType::Integer, "5"},
                      SumCase{"TextWithEmpty", Variant("x"), Variant(), VarType::String, "x"}),
    velmora::test::CaseName());

struct NoSumCase {
  std::string name;
  Variant a, b;
};

void PrintTo(const NoSumCase& c, std::ostream* os) { *os << c.name; }

class NoSum : public ::testing::TestWithParam<NoSumCase> {};

TEST_P(NoSum, AdditionRaises) { EXPECT_THROW(GetParam().a + GetParam().b, rtl::EVariantError); }

INSTANTIATE_TEST_SUITE_P(Variants, NoSum,
                         ::testing::Values(NoSumCase{"Int64Overflow", Variant(kMax), Variant(1)},
                                           NoSumCase{"NegativeInt64Overflow", Variant(-kMax - 1),
                                                     Variant(std::int64_t{-1})},
                                           NoSumCase{"WordTextWithNumber", Variant("abc"), Variant(1)},
                                           NoSumCase{"AutomationObjectWithText", DispatchVariant(), Variant("x")},
                                           NoSumCase{"Bytes", Variant(rtl::ByteArray{1}), Variant(rtl::ByteArray{2})}),
                         velmora::test::CaseName());

// Late binding by name, through the platform on Windows, is tested in
// com_test; here what a server's factory does wrong.
struct BrokenFactoryCase {
  std::string name;
  rtl::ComServerFactory factory;
  HResult code;
};
void PrintTo(const BrokenFactoryCase& c, std::ostream* os) { *os << c.name; }

class BrokenFactory : public ::testing::TestWithParam<BrokenFactoryCase> {
 protected:
  // The error CreateOleObject raises while the factory is registered.
  rtl::EOleSysError Raised() {
    rtl::ComServerRegistration registration("Test.Broken", GetParam().factory);
    try {
      rtl::CreateOleObject("Test.Broken");
    } catch (const rtl::EOleSysError& e) {
      return e;
    }
    ADD_FAILURE() << "expected EOleSysError";
    return rtl::EOleSysError("nothing raised", rtl::S_OK);
  }
};

TEST_P(BrokenFactory, CreateOleObjectRaisesWithTheCode) { EXPECT_EQ(Raised().ErrorCode(), GetParam().code); }

TEST_P(BrokenFactory, CreateOleObjectNamesTheServer) {
  EXPECT_EQ(Raised().Message(), "Server execution failed for 'Test.Broken'");
}

INSTANTIATE_TEST_SUITE_P(
    Factories, BrokenFactory,
    ::testing::Values(
        BrokenFactoryCase{"Failing", [](rtl::DispatchPtr&) { return rtl::E_OUTOFMEMORY; }, rtl::E_OUTOFMEMORY},
        BrokenFactoryCase{"GivingNoObject", [](rtl::DispatchPtr&) { return rtl::S_OK; }, rtl::CO_E_SERVER_EXEC_FAILURE},
        BrokenFactoryCase{"Raising", [](rtl::DispatchPtr&) -> HResult { throw rtl::EConvertError("x"); },
                          rtl::CO_E_SERVER_EXEC_FAILURE}),
    velmora::test::CaseName());

TEST(LateBinding, RegistrationEndsWithItsObject) {
  {
    rtl::ComServerRegistration registration("Test.Broken", [](rtl::DispatchPtr&) { return rtl::S_OK; });
  }
  EXPECT_THROW(rtl::CreateOleObject("Test.Broken"), rtl::EOleSysError);
}

TEST(LateBinding, InvokeOnNoObjectRaises) { EXPECT_THROW(rtl::Invoke(Variant(), "Echo", {1}), rtl::EVariantError); }

}  // namespace
