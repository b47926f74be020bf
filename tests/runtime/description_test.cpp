// Form descriptions: parsing, applying them to a form, and building forms
// from the descriptions in a module's resources.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rt_support.h"
#include "runtime/components/Classes.h"
#include "runtime/controls/StdCtrls.h"
#include "runtime/except/Exceptions.h"
#include "runtime/forms/Description.h"
#include "runtime/forms/Form.h"

namespace {

using rtl::DescriptionNode;
using rtl::PropertyValue;

// A compact rendering of a parsed description: name:Class(prop=value; child(...)).
std::string Dump(const PropertyValue& v) {
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
      for (std::uint8_t b : v.AsBinary()) out.append(1, "0123456789ABCDEF"[b >> 4]).append(1, "0123456789ABCDEF"[b & 15]);
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

TEST(ParseDescription, ReadsEachKindOfValue) {
  const struct {
    const char* text;
    const char* parsed;
  } cases[] = {
      {"object F: TF\nend", "F:TF()"},
      {"object F: TF\n  Caption = 'It''s'\nend", "F:TF(Caption='It's')"},
      {"object F: TF\n  Caption = 'a'#13#10'b'\nend", "F:TF(Caption='a#13#10b')"},
      {"object F: TF\n  Caption = #39'x'#39\nend", "F:TF(Caption=''x'')"},
      {"object F: TF\n  Caption = 'ab' +\n    'cd' + #33\nend", "F:TF(Caption='abcd!')"},
      {"object F: TF\n  Left = -8\n  Top = +5\n  Tag = 2147483648\nend", "F:TF(Left=-8; Top=5; Tag=2147483648)"},
      {"object F: TF\n  Scale = 1.5\n  Shift = -0.25\nend", "F:TF(Scale=<float>; Shift=<float>)"},
      {"object F: TF\n  BorderIcons = [biSystemMenu, biMinimize]\n  Anchors = []\nend",
       "F:TF(BorderIcons=[biSystemMenu,biMinimize]; Anchors=[])"},
      {"object F: TF\n  Picture.Data = {\n    0A0b\n    FF}\nend", "F:TF(Picture.Data={0A0BFF})"},
      {"object F: TF\n  Font.Name = '宋体'\n  OnClick = btnOKClick\nend",
       "F:TF(Font.Name='宋体'; OnClick=btnOKClick)"},
      {"object F: TF\n  object P: TPanel\n    object B: TButton\n      Caption = 'x'\n    end\n  end\n"
       "  object E: TEdit\n  end\nend",
       "F:TF(P:TPanel(B:TButton(Caption='x')); E:TEdit())"},
      {"inherited F: TF\n  inherited btnOK: TButton\n    Caption = 'Go'\n  end\nend",
       "inherited F:TF(inherited btnOK:TButton(Caption='Go'))"},
      {"// layout\r\nobject F: TF\r\n  Width = 1 // trailing\r\nend\r\n", "F:TF(Width=1)"},
      {"object objectX: TF\n  endless = inheritedY\nend", "objectX:TF(endless=inheritedY)"},
  };
  for (const auto& c : cases) {
    try {
      EXPECT_EQ(Dump(rtl::ParseDescription(c.text)), c.parsed) << c.text;
    } catch (const rtl::EReadError& e) {
      ADD_FAILURE() << "expected " << c.parsed << ", got EReadError " << e.Message();
    }
  }
}

TEST(ParseDescription, RecordsTheLineOfEachObject) {
  const DescriptionNode root = rtl::ParseDescription("\nobject F: TF\n  Width = 1\n  object A: TEdit\n  end\n"
                                                     "  object B: TEdit\n    object C: TEdit\n    end\n  end\nend");
  EXPECT_EQ(root.line, 2);
  ASSERT_EQ(root.children.size(), 2u);
  EXPECT_EQ(root.children[0].line, 4);
  EXPECT_EQ(root.children[1].line, 6);
  ASSERT_EQ(root.children[1].children.size(), 1u);
  EXPECT_EQ(root.children[1].children[0].line, 7);
}

TEST(ParseDescription, SyntaxErrorsNameTheirLine) {
  const struct {
    const char* text;
    int line;
  } cases[] = {
      {"", 1},
      {"form F: TF\nend", 1},
      {"object F TF\nend", 1},
      {"object F: TF\n  Width = 1\n", 3},
      {"object F: TF\n  Caption = 'abc\nend", 2},
      {"object F: TF\n  Caption = 'a' +\nend", 3},
      {"object F: TF\n  Caption = #300\nend", 2},
      {"object F: TF\n  Data = {0A1}\nend", 2},
      {"object F: TF\n  Data = {0A\nend", 3},
      {"object F: TF\n  Left = 1.2.3\nend", 2},
      {"object F: TF\n  Tag = 99999999999999999999\nend", 2},
      {"object F: TF\n  Icons = [a b]\nend", 2},
      {"object F: TF\n  Width 5\nend", 2},
      {"object F: TF\n\n\n  = 5\nend", 4},
      {"object F: TF\nend\nextra", 3},
  };
  for (const auto& c : cases) {
    try {
      rtl::ParseDescription(c.text);
      ADD_FAILURE() << "expected EReadError at line " << c.line << " for:\n" << c.text;
    } catch (const rtl::EReadError& e) {
      const std::string prefix = "Form description line " + std::to_string(c.line) + ":";
      EXPECT_EQ(e.Message().substr(0, prefix.size()), prefix) << "expected line " << c.line << ", got " << e.Message();
    }
  }
}

// A panel class for descriptions to nest controls in.
const rtl::ClassRegistration kPanel = rtl::ClassRegistration::Of<rtl::TWinControl>("TTestPanel");

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
    PublishMethod("FormCreate", rtl::TNotifyEvent([this](rtl::TObject*) {
                    ++creates;
                    createdWithFields = btnOK != nullptr && edtName != nullptr;
                    if (raiseOnCreate) throw rtl::EDatabaseError("创建失败");
                  }));
    PublishMethod("btnOKClick", rtl::TNotifyEvent([this](rtl::TObject*) { ++clicks; }));
    PublishMethod("EdtKeyDown", rtl::TKeyEvent([](rtl::TObject*, rtl::Word& key, rtl::TShiftState) { key = 0; }));
  }
  ~TDlg() override { ++destroyed; }
  const char* ClassName() const noexcept override { return "TDlg"; }

  rtl::TButton* btnOK = nullptr;
  rtl::TEdit* edtName = nullptr;
  int creates = 0;
  int clicks = 0;
  bool createdWithFields = false;
};

class Descriptions : public rttest::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    TDlg::descriptions.clear();
    TDlg::raiseOnCreate = false;
    TDlg::destroyed = 0;
  }
};

TEST_F(Descriptions, ApplySetsPropertiesNestsControlsAndBindsFieldsAndEvents) {
  rtl::Owned<TDlg> form(new TDlg(nullptr));
  rtl::ApplyDescription(*form, rtl::ParseDescription(R"(object Dlg: TDlg
  Caption = '修改密码'
  BorderStyle = bsDialog
  Color = clBtnFace
  OnCreate = FormCreate
  object pnl: TTestPanel
    Left = 8
    object btnOK: TButton
      Caption = '确定'
      TabOrder = 1
      ModalResult = 1
      OnClick = btnOKClick
    end
  end
  object edtName: TEdit
    PasswordChar = '*'
    Anchors = [akLeft, akRight]
    OnKeyDown = EdtKeyDown
  end
end)"));
  EXPECT_EQ(form->Caption(), "修改密码");
  EXPECT_EQ(form->BorderStyle, rtl::TFormBorderStyle::Dialog);
  EXPECT_EQ(form->Color, -0x7FFFFFF1);
  EXPECT_TRUE(form->OnCreate);
  ASSERT_NE(form->btnOK, nullptr);
  ASSERT_NE(form->edtName, nullptr);
  EXPECT_EQ(form->btnOK->Owner(), form.get());
  EXPECT_EQ(form->btnOK->Parent(), form->FindComponent("pnl"));
  EXPECT_EQ(form->btnOK->Caption(), "确定");
  EXPECT_EQ(form->btnOK->TabOrder(), 1);
  EXPECT_EQ(form->btnOK->ModalResult, rtl::mrOk);
  form->btnOK->OnClick(form->btnOK);
  EXPECT_EQ(form->clicks, 1);
  EXPECT_EQ(form->edtName->Parent(), form.get());
  EXPECT_EQ(form->edtName->PasswordChar, '*');
  EXPECT_TRUE(form->edtName->Anchors.left && form->edtName->Anchors.right && !form->edtName->Anchors.top);
  rtl::Word key = 65;
  form->edtName->OnKeyDown(form->edtName, key, {});
  EXPECT_EQ(key, 0);
  EXPECT_EQ(form->creates, 0) << "applying a description does not run the create event";
}

TEST_F(Descriptions, ApplyErrorsNameTheComponentAndProperty) {
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
    rtl::Owned<TDlg> form(new TDlg(nullptr));
    const DescriptionNode root = rtl::ParseDescription(std::string("object Dlg: TDlg\n") + c.body + "end\n");
    try {
      rtl::ApplyDescription(*form, root);
      ADD_FAILURE() << "expected EReadError \"" << c.message << "\"";
    } catch (const rtl::EReadError& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

// A module whose resources hold the dialogs' descriptions.
class FormCreation : public Descriptions {
 protected:
  static std::vector<std::uint8_t> Resources() {
    using rttest::Bytes;
    return rttest::BuildBlob({
        {rtl::RT_RCDATA, "TBASEDLG", 0,
         Bytes("object BaseDlg: TBaseDlg\n  Caption = 'Base'\n  OnCreate = FormCreate\n"
               "  object btnOK: TButton\n    Caption = 'OK'\n  end\nend\n")},
        {rtl::RT_RCDATA, "TCHILDDLG", 0,
         Bytes("inherited ChildDlg: TChildDlg\n  Caption = 'Child'\n  inherited btnOK: TButton\n"
               "    Caption = '确定'\n  end\n  object edtName: TEdit\n  end\nend\n")},
        {rtl::RT_RCDATA, "TFULLDLG", 0,
         Bytes("object FullDlg: TFullDlg\n  OnCreate = FormCreate\n  object btnOK: TButton\n  end\n"
               "  object edtName: TEdit\n  end\nend\n")},
        {rtl::RT_RCDATA, "TWRONGDLG", 0, Bytes("object Other: TOtherDlg\nend\n")},
    });
  }
  std::vector<std::uint8_t> blob = Resources();
  rtl::TLibModule module{"Dialogs", blob};
};

TEST_F(FormCreation, BaseDescriptionThenInheritedOneThenCreateEvent) {
  TDlg::descriptions = {"TBaseDlg", "TChildDlg"};
  TDlg* form = rtl::TCustomForm::Create<TDlg>(rtl::Application, &module);
  rtl::Owned<TDlg> owned(form);
  EXPECT_EQ(form->Owner(), rtl::Application);
  EXPECT_EQ(form->Module(), &module);
  EXPECT_EQ(form->Name(), "ChildDlg");
  EXPECT_EQ(form->Caption(), "Child");
  ASSERT_NE(form->btnOK, nullptr);
  EXPECT_EQ(form->btnOK->Caption(), "确定");
  EXPECT_NE(form->edtName, nullptr);
  EXPECT_EQ(form->creates, 1);
  EXPECT_TRUE(form->createdWithFields) << "fields are bound before the create event runs";
}

TEST_F(FormCreation, FailureDestroysTheHalfBuiltFormAndReachesTheCaller) {
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
}

TEST_F(FormCreation, SecondFormOfTheSameClassGetsAUniqueName) {
  TDlg::descriptions = {"TFullDlg"};
  rtl::Owned<TDlg> first(rtl::TCustomForm::Create<TDlg>(rtl::Application, &module));
  rtl::Owned<TDlg> second(rtl::TCustomForm::Create<TDlg>(rtl::Application, &module));
  rtl::Owned<TDlg> third(rtl::TCustomForm::Create<TDlg>(rtl::Application, &module));
  rtl::Owned<TDlg> unowned(rtl::TCustomForm::Create<TDlg>(nullptr, &module));
  EXPECT_EQ(first->Name(), "FullDlg");
  EXPECT_EQ(second->Name(), "FullDlg_1");
  EXPECT_EQ(third->Name(), "FullDlg_2");
  EXPECT_EQ(unowned->Name(), "FullDlg");
}

}  // namespace
