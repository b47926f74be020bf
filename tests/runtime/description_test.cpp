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
#include "tests/support/ResourceBlob.h"

namespace {

using rtl::DescriptionNode;
using rtl::PropertyValue;

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

TEST(Descriptions, TextCompilesToWhatTheReaderReads) {
  const struct {
    const char* text;
    const char* parsed;
  } cases[] = {
      {"object F: TF\n  A = 'It''s'\n  B = 'a'#13#10'b'\n  C = #39'x'#39\n  D = 'ab' +\n    'cd' + #33\nend",
       "F:TF(A='It's'; B='a#13#10b'; C=''x''; D='abcd!')"},
      {"object F: TF\n  Left = -8\n  Top = +5\n  Tag = 2147483648\n  Scale = 1.5\n  Shift = -0.25\nend",
       "F:TF(Left=-8; Top=5; Tag=2147483648; Scale=<float>; Shift=<float>)"},
      {"object F: TF\n  Icons = [biSystemMenu, biMinimize]\n  Anchors = []\n  Data = {\n    0A0b\n    FF}\nend",
       "F:TF(Icons=[biSystemMenu,biMinimize]; Anchors=[]; Data={0A0BFF})"},
      {"object F: TF\n  object P: TPanel\n    object B: TButton\n      Caption = 'x'\n    end\n  end\n"
       "  object E: TEdit\n  end\nend",
       "F:TF(P:TPanel(B:TButton(Caption='x')); E:TEdit())"},
      {"inherited F: TF\n  inherited btnOK: TButton\n  end\nend", "inherited F:TF(inherited btnOK:TButton())"},
      {"// layout\r\nobject F: TF\r\n  Width = 1 // trailing\r\nend\r\n", "F:TF(Width=1)"},
      {"object objectX: TF\n  endless = inheritedY\nend", "objectX:TF(endless=inheritedY)"},
  };
  for (const auto& c : cases) {
    try {
      EXPECT_EQ(Dump(Described(c.text).root), c.parsed) << c.text;
    } catch (const std::exception& e) {
      ADD_FAILURE() << "expected " << c.parsed << ", got " << e.what();
    }
  }
}

TEST(Descriptions, SyntaxErrorsNameTheirLine) {
  const struct {
    const char* text;
    int line;
  } cases[] = {
      {"", 1},
      {"object F TF\nend", 1},
      {"object F: TF\n  Width = 1\n", 3},
      {"object F: TF\n  Caption = 'abc\nend", 2},
      {"object F: TF\n  Caption = 'a' +\nend", 3},
      {"object F: TF\n  Caption = #300\nend", 2},
      {"object F: TF\n  Data = {0A1}\nend", 2},
      {"object F: TF\n  Left = 1.2.3\nend", 2},
      {"object F: TF\n  Tag = 99999999999999999999\nend", 2},
      {"object F: TF\n  Width 5\nend", 2},
      {"object F: TF\n\n\n  = 5\nend", 4},
      {"object F: TF\nend\nextra", 3},
  };
  for (const auto& c : cases) {
    try {
      formtext::Compile(c.text);
      ADD_FAILURE() << "expected a syntax error at line " << c.line << " for:\n" << c.text;
    } catch (const formtext::SyntaxError& e) {
      const std::string prefix = "Form description line " + std::to_string(c.line) + ":";
      EXPECT_EQ(std::string(e.what()).substr(0, prefix.size()), prefix)
          << "expected line " << c.line << ", got " << e.what();
    }
  }
}

// Components nested without end are refused, however deep: the compiler's
// recursion never exhausts the stack, and what it accepts the reader reads.
TEST(Descriptions, RefusesComponentsNestedTooDeeply) {
  const auto nested = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "object C" + std::to_string(i) + ": TPanel\n";
    for (int i = 0; i < depth; ++i) text += "end\n";
    return text;
  };
  EXPECT_NO_THROW(static_cast<void>(Described(nested(64))));
  for (int depth : {65, 1000000}) {
    try {
      formtext::Compile(nested(depth));
      ADD_FAILURE() << "expected a syntax error for " << depth << " levels";
    } catch (const formtext::SyntaxError& e) {
      EXPECT_STREQ(e.what(), "Form description line 65: components nested too deeply") << depth << " levels";
    }
  }
}

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

TEST(Descriptions, ApplyErrorsNameTheComponentAndProperty) {
  const struct {
    const char* body;
    const char* message;
  } cases[] = {
      {"object x: TNoSuch\nend\n", "Class TNoSuch not found"},
      {"Colour = 1\n", "Error reading TDlg.Colour: property Colour does not exist"},
      {"OldCreateOrder = True\n", "Error reading TDlg.OldCreateOrder: OldCreateOrder True is not supported"},
      {"object btnOK: TButton\n Colour = 5\nend\n", "Error reading btnOK.Colour: property Colour does not exist"},
      {"object btnOK: TButton\n Width = 'wide'\nend\n", "Error reading btnOK.Width: Invalid property value"},
      {"object btnOK: TButton\n Tag = 4294967296\nend\n", "Error reading btnOK.Tag: Invalid property value"},
      {"object btnOK: TButton\n OnClick = EdtKeyDown\nend\n",
       "Error reading btnOK.OnClick: Invalid property value: handler of the wrong kind"},
      {"object btnOK: TButton\n OnClick = Missing\nend\n", "Error reading btnOK.OnClick: no published method Missing"},
      {"object lbl: TLabel\n OnKeyDown = EdtKeyDown\nend\n",
       "Error reading lbl.OnKeyDown: property OnKeyDown does not exist"},
      {"object a: TButton\nend\nobject A: TEdit\nend\n", "A component named A already exists"},
      {"inherited btnOK: TButton\nend\n", "Inherited component btnOK not found"},
      {"object btnOK: TEdit\nend\n", "Component btnOK is not of the class of its field"},
      {"object lbl: TLabel\n object inner: TButton\n end\nend\n", "inner cannot be placed on lbl"},
  };
  for (const auto& c : cases) {
    const auto form = rtl::Add<TDlg>(nullptr);
    const Described described(std::string("object Dlg: TDlg\n") + c.body + "end\n");
    try {
      rtl::ApplyDescription(*form, described.root);
      ADD_FAILURE() << "expected EReadError \"" << c.message << "\"";
    } catch (const rtl::EReadError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

class FormCreation : public velmora::test::FrontEndTest {};

TEST_F(FormCreation, FailureDestroysTheHalfBuiltFormAndReachesTheCaller) {
  using formtext::Compile;
  const std::vector<std::uint8_t> blob = velmora::test::BuildBlob({
      {rtl::RT_RCDATA, "TBASEDLG", 0, Compile("object BaseDlg: TBaseDlg\n  object btnOK: TButton\n  end\nend\n")},
      {rtl::RT_RCDATA, "TCHILDDLG", 0, Compile("inherited ChildDlg: TChildDlg\n  object edtName: TEdit\n  end\nend\n")},
      {rtl::RT_RCDATA, "TFULLDLG", 0,
       Compile("object FullDlg: TFullDlg\n  OnCreate = FormCreate\n  object btnOK: TButton\n  end\n"
               "  object edtName: TEdit\n  end\nend\n")},
      {rtl::RT_RCDATA, "TWRONGDLG", 0, Compile("object Other: TOtherDlg\nend\n")},
  });
  const rtl::TLibModule module("Dialogs", blob);
  const struct {
    std::vector<std::string> descriptions;
    bool raiseOnCreate;
    const char* message;
  } cases[] = {
      {{"TBaseDlg"}, false, "Component edtName is missing from the form description"},
      {{"TChildDlg"}, false, "Form description of TChildDlg must not be inherited"},
      {{"TBaseDlg", "TBaseDlg"}, false, "Form description of TBaseDlg must be inherited"},
      {{"TWrongDlg"}, false, "Form description of TWrongDlg describes TOtherDlg"},
      {{"TNoDlg"}, false, "Resource TNoDlg not found"},
      {{"TFullDlg"}, true, "创建失败"},
  };
  for (const auto& c : cases) {
    TDlg::descriptions = c.descriptions;
    TDlg::raiseOnCreate = c.raiseOnCreate;
    TDlg::destroyed = 0;
    try {
      rtl::Free(rtl::TCustomForm::Create<TDlg>(rtl::Application, &module));
      ADD_FAILURE() << "expected \"" << c.message << "\"";
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(TDlg::destroyed, 1) << c.message;
    EXPECT_EQ(rtl::Application->ComponentCount(), 0u) << c.message;
  }
  TDlg::descriptions.clear();
  TDlg::raiseOnCreate = false;
}

}  // namespace
