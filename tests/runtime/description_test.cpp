// Form descriptions: text compiled and read back, the errors of applying
// them to a form, and the failures of building forms from a module's
// resources. Damaged compiled descriptions are in description_reader_test. Loading the real
// dialogs' inherited descriptions, binding their fields and events and running
// their create events are exercised by the context and automation suites.
#include "runtime/forms/Description.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FormText.h"
#include "runtime/components/Classes.h"
#include "runtime/controls/StdCtrls.h"
#include "runtime/except/Exceptions.h"
#include "runtime/forms/Form.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/Expectations.h"
#include "tests/support/ResourceBlob.h"

namespace {

using rtl::DescriptionNode;
using rtl::PropertyValue;
using velmora::test::CaseName;

// A description as the module carries it, compiled from its text, and what
// is read from it: binary values refer to the compiled bytes, so both are kept.
struct Described {
  explicit Described(const std::string& text) : data(formtext::Compile(text)), root(rtl::ReadDescription(data)) {}
  std::vector<std::uint8_t> data;
  DescriptionNode root;
};

// A compact rendering of a read description: name:Class(prop=value; child(...)).
std::string Dump(const PropertyValue& v) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  switch (v.GetKind()) {
    case PropertyValue::Kind::Integer: return std::to_string(v.AsInt64());
    case PropertyValue::Kind::Float: return "<float>";
    case PropertyValue::Kind::Identifier: return v.AsIdentifier();
    case PropertyValue::Kind::Text:
      for (char c : v.AsText()) {
        if (static_cast<unsigned char>(c) < 32) out.append("#").append(std::to_string(int{c}));
        else out += c;
      }
      return "'" + out + "'";
    case PropertyValue::Kind::Set:
      for (const auto& item : v.AsSet()) out.append(out.empty() ? "" : ",").append(item);
      return "[" + out + "]";
    case PropertyValue::Kind::Binary:
      for (std::uint8_t b : v.AsBinary()) out.append(1, kHex[b >> 4]).append(1, kHex[b & 15]);
      return "{" + out + "}";
  }
  return "?";
}

std::string Dump(const DescriptionNode& node) {
  std::string out = node.inherited ? "inherited " : "";
  out.append(node.name).append(":").append(node.className).append("(");
  const char* separator = "";
  for (const auto& [name, value] : node.properties) {
    out.append(separator).append(name).append("=").append(Dump(value));
    separator = "; ";
  }
  for (const DescriptionNode& child : node.children) {
    out.append(separator).append(Dump(child));
    separator = "; ";
  }
  return out.append(")");
}

struct CompiledCase {
  std::string name, text, parsed;
};

void PrintTo(const CompiledCase& c, std::ostream* os) { *os << c.name; }

class Compiled : public ::testing::TestWithParam<CompiledCase> {};

TEST_P(Compiled, ReadsBackAsWritten) {
  try {
    EXPECT_EQ(Dump(Described(GetParam().text).root), GetParam().parsed);
  } catch (const std::exception& e) {
    ADD_FAILURE() << "expected " << GetParam().parsed << ", got " << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, Compiled,
    ::testing::Values(
        CompiledCase{
            "Texts",
            "object F: TF\n  A = 'It''s'\n  B = 'a'#13#10'b'\n  C = #39'x'#39\n  D = 'ab' +\n    'cd' + #33\nend",
            "F:TF(A='It's'; B='a#13#10b'; C=''x''; D='abcd!')"},
        CompiledCase{"Numbers",
                     "object F: TF\n  Left = -8\n  Top = +5\n  Tag = 2147483648\n  Scale = 1.5\n  Shift = -0.25\nend",
                     "F:TF(Left=-8; Top=5; Tag=2147483648; Scale=<float>; Shift=<float>)"},
        CompiledCase{
            "SetsAndBinary",
            "object F: TF\n  Icons = [biSystemMenu, biMinimize]\n  Anchors = []\n  Data = {\n    0A0b\n    FF}\nend",
            "F:TF(Icons=[biSystemMenu,biMinimize]; Anchors=[]; Data={0A0BFF})"},
        CompiledCase{"NestedComponents",
                     "object F: TF\n  object P: TPanel\n    object B: TButton\n      Caption = 'x'\n    end\n  end\n"
                     "  object E: TEdit\n  end\nend",
                     "F:TF(P:TPanel(B:TButton(Caption='x')); E:TEdit())"},
        CompiledCase{"Inherited", "inherited F: TF\n  inherited btnOK: TButton\n  end\nend",
                     "inherited F:TF(inherited btnOK:TButton())"},
        CompiledCase{"CommentsAndCrLf", "// layout\r\nobject F: TF\r\n  Width = 1 // trailing\r\nend\r\n",
                     "F:TF(Width=1)"},
        CompiledCase{"KeywordsInsideNames", "object objectX: TF\n  endless = inheritedY\nend",
                     "objectX:TF(endless=inheritedY)"}),
    CaseName());

struct SyntaxErrorCase {
  std::string name, text;
  int line;
};

void PrintTo(const SyntaxErrorCase& c, std::ostream* os) { *os << c.name; }

class SyntaxError : public ::testing::TestWithParam<SyntaxErrorCase> {};

TEST_P(SyntaxError, NamesItsLine) {
  try {
    formtext::Compile(GetParam().text);
    ADD_FAILURE() << "expected a syntax error at line " << GetParam().line;
  } catch (const formtext::SyntaxError& e) {
    const std::string prefix = "Form description line " + std::to_string(GetParam().line) + ":";
    EXPECT_EQ(std::string(e.what()).substr(0, prefix.size()), prefix) << "got " << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, SyntaxError,
    ::testing::Values(SyntaxErrorCase{"Empty", "", 1}, SyntaxErrorCase{"MissingColon", "object F TF\nend", 1},
                      SyntaxErrorCase{"MissingEnd", "object F: TF\n  Width = 1\n", 3},
                      SyntaxErrorCase{"UnterminatedText", "object F: TF\n  Caption = 'abc\nend", 2},
                      SyntaxErrorCase{"PlusWithoutText", "object F: TF\n  Caption = 'a' +\nend", 3},
                      SyntaxErrorCase{"CharacterBeyondAByte", "object F: TF\n  Caption = #300\nend", 2},
                      SyntaxErrorCase{"OddHexDigits", "object F: TF\n  Data = {0A1}\nend", 2},
                      SyntaxErrorCase{"BadNumber", "object F: TF\n  Left = 1.2.3\nend", 2},
                      SyntaxErrorCase{"IntegerBeyondInt64", "object F: TF\n  Tag = 99999999999999999999\nend", 2},
                      SyntaxErrorCase{"MissingEquals", "object F: TF\n  Width 5\nend", 2},
                      SyntaxErrorCase{"MissingPropertyName", "object F: TF\n\n\n  = 5\nend", 4},
                      SyntaxErrorCase{"TextAfterTheEnd", "object F: TF\nend\nextra", 3}),
    CaseName());

// Components nested without end are refused, however deep: the compiler's
// recursion never exhausts the stack, and what it accepts the reader reads.
std::string Nested(int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "object C" + std::to_string(i) + ": TPanel\n";
  for (int i = 0; i < depth; ++i) text += "end\n";
  return text;
}

TEST(Descriptions, Takes64NestedComponents) { EXPECT_NO_THROW(static_cast<void>(Described(Nested(64)))); }

class NestedTooDeeply : public ::testing::TestWithParam<int> {};

TEST_P(NestedTooDeeply, IsASyntaxErrorAtLine65) {
  try {
    formtext::Compile(Nested(GetParam()));
    ADD_FAILURE() << "expected a syntax error";
  } catch (const formtext::SyntaxError& e) {
    EXPECT_STREQ(e.what(), "Form description line 65: components nested too deeply");
  }
}

INSTANTIATE_TEST_SUITE_P(Descriptions, NestedTooDeeply, ::testing::Values(65, 1000000),
                         [](const ::testing::TestParamInfo<int>& depth) {
                           return "Levels" + std::to_string(depth.param);
                         });

// A dialog whose descriptions are chosen by the test; it publishes the fields
// btnOK and edtName and the methods FormCreate, btnOKClick and EdtKeyDown.
class TDlg : public rtl::TForm {
 public:
  static inline std::vector<std::string> descriptions;
  static inline bool raiseOnCreate = false;
  static inline int destroyed = 0;

  explicit TDlg(rtl::TComponent* owner) : TForm(owner) {
    for (const std::string& d : descriptions) AddDescription(d);
    PublishField("btnOK", btnOK);
    PublishField("edtName", edtName);
    PublishMethod("FormCreate", rtl::TNotifyEvent([](rtl::TObject*) {
                    if (raiseOnCreate) throw rtl::EDatabaseError("创建失败");
                  }));
    PublishMethod("btnOKClick", rtl::TNotifyEvent([](rtl::TObject*) {}));
    PublishMethod("EdtKeyDown", rtl::TKeyEvent([](rtl::TObject*, rtl::Word&, rtl::TShiftState) {}));
  }
  ~TDlg() override { ++destroyed; }
  const char* ClassName() const noexcept override { return "TDlg"; }

  rtl::TButton* btnOK = nullptr;
  rtl::TEdit* edtName = nullptr;
};

struct ApplyErrorCase {
  std::string name, body, message;
};

void PrintTo(const ApplyErrorCase& c, std::ostream* os) { *os << c.name; }

class ApplyError : public ::testing::TestWithParam<ApplyErrorCase> {};

TEST_P(ApplyError, NamesWhatCannotBeApplied) {
  const auto form = rtl::Add<TDlg>(nullptr);
  const Described described("object Dlg: TDlg\n" + GetParam().body + "end\n");
  try {
    rtl::ApplyDescription(*form, described.root);
    ADD_FAILURE() << "expected EReadError \"" << GetParam().message << "\"";
  } catch (const rtl::EReadError& e) {
    EXPECT_EQ(e.Message(), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, ApplyError,
    ::testing::Values(ApplyErrorCase{"UnknownClass", "object x: TNoSuch\nend\n", "Class TNoSuch not found"},
                      ApplyErrorCase{"UnknownFormProperty", "Colour = 1\n",
                                     "Error reading TDlg.Colour: property Colour does not exist"},
                      ApplyErrorCase{"OldCreateOrder", "OldCreateOrder = True\n",
                                     "Error reading TDlg.OldCreateOrder: OldCreateOrder True is not supported"},
                      ApplyErrorCase{"PixelsPerInchNotPositive", "PixelsPerInch = 0\n",
                                     "Error reading TDlg.PixelsPerInch: PixelsPerInch must be positive"},
                      ApplyErrorCase{"UnknownControlProperty", "object btnOK: TButton\n Colour = 5\nend\n",
                                     "Error reading btnOK.Colour: property Colour does not exist"},
                      ApplyErrorCase{"TextForAnInteger", "object btnOK: TButton\n Width = 'wide'\nend\n",
                                     "Error reading btnOK.Width: Invalid property value"},
                      ApplyErrorCase{"TagBeyondInt32", "object btnOK: TButton\n Tag = 4294967296\nend\n",
                                     "Error reading btnOK.Tag: Invalid property value"},
                      ApplyErrorCase{"HandlerOfTheWrongKind", "object btnOK: TButton\n OnClick = EdtKeyDown\nend\n",
                                     "Error reading btnOK.OnClick: Invalid property value: handler of the wrong kind"},
                      ApplyErrorCase{"MissingHandler", "object btnOK: TButton\n OnClick = Missing\nend\n",
                                     "Error reading btnOK.OnClick: no published method Missing"},
                      ApplyErrorCase{"EventTheClassLacks", "object lbl: TLabel\n OnKeyDown = EdtKeyDown\nend\n",
                                     "Error reading lbl.OnKeyDown: property OnKeyDown does not exist"},
                      ApplyErrorCase{"NameTakenInAnotherCase", "object a: TButton\nend\nobject A: TEdit\nend\n",
                                     "A component named A already exists"},
                      ApplyErrorCase{"InheritedComponentMissing", "inherited btnOK: TButton\nend\n",
                                     "Inherited component btnOK not found"},
                      ApplyErrorCase{"ClassOtherThanTheFields", "object btnOK: TEdit\nend\n",
                                     "Component btnOK is not of the class of its field"},
                      ApplyErrorCase{"ControlOnALabel", "object lbl: TLabel\n object inner: TButton\n end\nend\n",
                                     "inner cannot be placed on lbl"}),
    CaseName());

// A front end scales the form by what it was made for.
TEST(Descriptions, FormKeepsThePixelsPerInchItWasMadeFor) {
  const auto form = rtl::Add<TDlg>(nullptr);
  EXPECT_EQ(form->PixelsPerInch, 96);
  EXPECT_TRUE(form->Scaled);
  const Described described("object Dlg: TDlg\n PixelsPerInch = 120\n Scaled = False\nend\n");
  rtl::ApplyDescription(*form, described.root);
  EXPECT_EQ(form->PixelsPerInch, 120);
  EXPECT_FALSE(form->Scaled);
}

struct CreationCase {
  std::string name;
  std::vector<std::string> descriptions;
  bool raiseOnCreate;
  std::string message;
};

void PrintTo(const CreationCase& c, std::ostream* os) { *os << c.name; }

// A dialog created from a module's descriptions, failing.
class FailedCreation : public velmora::test::FrontEndTest, public ::testing::WithParamInterface<CreationCase> {
 protected:
  void SetUp() override {
    TDlg::descriptions = GetParam().descriptions;
    TDlg::raiseOnCreate = GetParam().raiseOnCreate;
    TDlg::destroyed = 0;
  }
  void TearDown() override {
    TDlg::descriptions.clear();
    TDlg::raiseOnCreate = false;
  }
  // The message of what creating the dialog raised.
  std::string Raised() {
    try {
      rtl::Free(rtl::TCustomForm::Create<TDlg>(rtl::Application, &module));
    } catch (const rtl::Exception& e) {
      return e.Message();
    }
    return "(nothing raised)";
  }
  const std::vector<std::uint8_t> blob = velmora::test::BuildBlob({
      {rtl::RT_RCDATA, "TBASEDLG", 0,
       formtext::Compile("object BaseDlg: TBaseDlg\n  object btnOK: TButton\n  end\nend\n")},
      {rtl::RT_RCDATA, "TCHILDDLG", 0,
       formtext::Compile("inherited ChildDlg: TChildDlg\n  object edtName: TEdit\n  end\nend\n")},
      {rtl::RT_RCDATA, "TFULLDLG", 0,
       formtext::Compile("object FullDlg: TFullDlg\n  OnCreate = FormCreate\n  object btnOK: TButton\n  end\n"
                         "  object edtName: TEdit\n  end\nend\n")},
      {rtl::RT_RCDATA, "TWRONGDLG", 0, formtext::Compile("object Other: TOtherDlg\nend\n")},
  });
  const rtl::TLibModule module{"Dialogs", blob};
};

TEST_P(FailedCreation, ReachesTheCallerWithTheReason) { EXPECT_EQ(Raised(), GetParam().message); }

TEST_P(FailedCreation, DestroysTheHalfBuiltFormOnce) {
  Raised();
  EXPECT_EQ(TDlg::destroyed, 1);
  EXPECT_EQ(rtl::Application->ComponentCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, FailedCreation,
    ::testing::Values(
        CreationCase{"ComponentMissing", {"TBaseDlg"}, false, "Component edtName is missing from the form description"},
        CreationCase{"FirstInherited", {"TChildDlg"}, false, "Form description of TChildDlg must not be inherited"},
        CreationCase{
            "LaterNotInherited", {"TBaseDlg", "TBaseDlg"}, false, "Form description of TBaseDlg must be inherited"},
        CreationCase{"OfAnotherClass", {"TWrongDlg"}, false, "Form description of TWrongDlg describes TOtherDlg"},
        CreationCase{"ResourceMissing", {"TNoDlg"}, false, "Resource TNoDlg not found"},
        CreationCase{"CreateEventRaising", {"TFullDlg"}, true, "创建失败"}),
    CaseName());

}  // namespace
