// Variants: conversions to each type, wide and 8-bit text, by-reference
// variants, and addition.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>

#include "runtime/dispatch/AutoObject.h"
#include "runtime/except/Exceptions.h"
#include "runtime/variant/Variant.h"

namespace {

using rtl::Variant;
using rtl::VarType;

class Inert : public rtl::TAutoObject {};

Variant DispatchVariant() { return Variant(rtl::DispatchPtr(rtl::TAutoObject::Create<Inert>())); }

TEST(Variant, ConversionsOfEachType) {
  const auto none = std::nullopt;  // the conversion raises EVariantError
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
      {"zero", Variant(0), "0", 0, 0.0, false},
      {"Int64 beyond Integer", Variant(std::int64_t{9007199254740993}), "9007199254740993", none,
       9007199254740992.0, true},
      {"Double", Variant(2.5), "2.5", 2, 2.5, true},
      {"Double rounding to even", Variant(3.5), "3.5", 4, 3.5, true},
      {"Double beyond Integer", Variant(1e20), "1e+20", none, 1e20, true},
      {"True", Variant(true), "True", -1, -1.0, true},
      {"False", Variant(false), "False", 0, 0.0, false},
      {"numeric text with blanks", Variant(" 7 "), " 7 ", 7, 7.0, true},
      {"fractional text", Variant("1.5"), "1.5", 2, 1.5, true},
      {"word text", Variant("abc"), "abc", none, none, none},
      {"empty text", Variant(""), "", none, none, none},
      {"text nan", Variant("nan"), "nan", none, none, none},
      {"text inf", Variant("inf"), "inf", none, none, none},
      {"text True", Variant(" true "), " true ", none, none, true},
      {"text False", Variant("FALSE"), "FALSE", none, none, false},
      {"wide numeric text", Variant(u"42"), "42", 42, 42.0, true},
      {"wide text", Variant(u"中文"), "中文", none, none, none},
      {"Null", Variant::Null(), none, none, none, none},
      {"bytes", Variant(rtl::ByteArray{1, 2}), none, none, none, none},
      {"automation object", DispatchVariant(), none, none, none, none},
  };
  for (const auto& c : cases) {
    if (c.text) {
      EXPECT_EQ(c.value.AsString(), *c.text) << c.what;
    } else {
      EXPECT_THROW(c.value.AsString(), rtl::EVariantError) << c.what;
    }
    if (c.integer) {
      EXPECT_EQ(c.value.AsInteger(), *c.integer) << c.what;
    } else {
      EXPECT_THROW(c.value.AsInteger(), rtl::EVariantError) << c.what;
    }
    if (c.number) {
      EXPECT_EQ(c.value.AsDouble(), *c.number) << c.what;
    } else {
      EXPECT_THROW(c.value.AsDouble(), rtl::EVariantError) << c.what;
    }
    if (c.boolean) {
      EXPECT_EQ(c.value.AsBoolean(), *c.boolean) << c.what;
    } else {
      EXPECT_THROW(c.value.AsBoolean(), rtl::EVariantError) << c.what;
    }
  }
}

TEST(Variant, FailedConversionsNameBothTypes) {
  const struct {
    std::function<void()> convert;
    const char* message;
  } cases[] = {
      {[] { Variant::Null().AsString(); }, "Could not convert variant of type (Null) into type (String)"},
      {[] { Variant::Null().AsInteger(); }, "Could not convert variant of type (Null) into type (Integer)"},
      {[] { Variant::Null().AsBoolean(); }, "Could not convert variant of type (Null) into type (Boolean)"},
      {[] { Variant("abc").AsInteger(); }, "Could not convert variant of type (String) into type (Integer)"},
      {[] { Variant("abc").AsDouble(); }, "Could not convert variant of type (String) into type (Double)"},
      {[] { DispatchVariant().AsString(); }, "Could not convert variant of type (Dispatch) into type (String)"},
      {[] { Variant(5).AsByteArray(); }, "Could not convert variant of type (Integer) into type (Array Byte)"},
      {[] { Variant("x").AsDispatch(); }, "Could not convert variant of type (String) into type (Dispatch)"},
  };
  for (const auto& c : cases) {
    try {
      c.convert();
      ADD_FAILURE() << "expected EVariantError \"" << c.message << "\"";
    } catch (const rtl::EVariantError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

TEST(Variant, WideAndAnsiText) {
  EXPECT_EQ(Variant(u"中").Type(), VarType::OleStr) << "a UTF-16 literal is text, not a Boolean";
  EXPECT_EQ(Variant("中文").AsWideString(), u"中文");
  EXPECT_EQ(Variant(5).AsWideString(), u"5");
  EXPECT_EQ(Variant(u"\U0001F600").AsWideString(), u"\U0001F600");
  EXPECT_THROW(Variant(u"\U0001F600").AsString(), rtl::EConvertError) << "never dropped silently";
  EXPECT_THROW(Variant("\x81'").AsWideString(), rtl::EConvertError);
}

TEST(Variant, ByReferenceReadsAndWritesItsTarget) {
  Variant target(5);
  Variant ref = Variant::Ref(&target);
  Variant refToRef = Variant::Ref(&ref);
  EXPECT_EQ(ref.Type(), VarType::ByRef);
  EXPECT_EQ(refToRef.AsInteger(), 5);
  refToRef.Target() = Variant("中");
  EXPECT_EQ(target.AsString(), "中");
  EXPECT_TRUE(ref.IsText());
  EXPECT_EQ((ref + Variant("文")).AsString(), "中文");
}

TEST(Variant, AdditionFollowsTheOperandTypes) {
  const struct {
    const char* what;
    Variant a, b;
    VarType type;
    std::string text;  // AsString of the sum
  } cases[] = {
      {"text and text", Variant("ab"), Variant("cd"), VarType::String, "abcd"},
      {"ansi and wide", Variant("中"), Variant(u"文"), VarType::OleStr, "中文"},
      {"wide and ansi", Variant(u"中"), Variant("文"), VarType::OleStr, "中文"},
      {"numeric text and number", Variant("12"), Variant(3), VarType::Double, "15"},
      {"integers", Variant(1), Variant(2), VarType::Integer, "3"},
      {"integers past the Integer range", Variant(std::numeric_limits<std::int32_t>::max()), Variant(1),
       VarType::Int64, "2147483648"},
      {"Int64 beyond a Double's precision", Variant(std::int64_t{9007199254740993}), Variant(2), VarType::Int64,
       "9007199254740995"},
      {"Int64 at its limit", Variant(std::numeric_limits<std::int64_t>::max() - 1), Variant(1), VarType::Int64,
       "9223372036854775807"},
      {"Double and Integer", Variant(1.5), Variant(1), VarType::Double, "2.5"},
      {"Null and number", Variant::Null(), Variant(1), VarType::Null, ""},
      {"text and Null", Variant("a"), Variant::Null(), VarType::Null, ""},
      {"Empty and number", Variant(), Variant(5), VarType::Integer, "5"},
      {"text and Empty", Variant("x"), Variant(), VarType::String, "x"},
  };
  for (const auto& c : cases) {
    const Variant sum = c.a + c.b;
    EXPECT_EQ(sum.Type(), c.type) << c.what << ": expected " << Variant::TypeName(c.type) << ", got "
                                  << Variant::TypeName(sum.Type());
    if (c.type != VarType::Null) {
      EXPECT_EQ(sum.AsString(), c.text) << c.what;
    }
  }
}

TEST(Variant, AdditionRaisesForOperandsWithoutASum) {
  const struct {
    const char* what;
    Variant a, b;
  } cases[] = {
      {"Int64 overflow", Variant(std::numeric_limits<std::int64_t>::max()), Variant(1)},
      {"negative Int64 overflow", Variant(std::numeric_limits<std::int64_t>::min()), Variant(std::int64_t{-1})},
      {"word text and number", Variant("abc"), Variant(1)},
      {"automation object and text", DispatchVariant(), Variant("x")},
      {"bytes and bytes", Variant(rtl::ByteArray{1}), Variant(rtl::ByteArray{2})},
  };
  for (const auto& c : cases) EXPECT_THROW(c.a + c.b, rtl::EVariantError) << c.what;
}

}  // namespace
