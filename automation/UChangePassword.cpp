#include "automation/UChangePassword.h"

#include "automation/md5.h"
#include "contract/VelmoraContract.h"
#include "runtime/dispatch/ComServers.h"
#include "runtime/dispatch/LateBinding.h"
#include "runtime/forms/Application.h"
#include "runtime/units/NoDestructor.h"

namespace automation {

namespace {

// Never destroyed: the unit's finalisation releases the servers, and when the
// process exits with the library loaded it runs after the statics are gone.
constinit rtl::NoDestructor<rtl::Variant> FuncStorageHolder;
constinit rtl::NoDestructor<rtl::Variant> DataCtlHolder;

}  // namespace

constinit rtl::Variant& FuncStorageObj = *FuncStorageHolder;
constinit rtl::Variant& DataCtlObj = *DataCtlHolder;
constinit TFrmCP* FrmCP = nullptr;

namespace {

constinit rtl::UnitCounter InitCount;

// The user's code for an SQL string literal: a text with its single quotes
// doubled, so that whatever the host returns stays inside one literal. A
// value that is not text is left for the variant sum to reject.
rtl::Variant QuotedUserID() {
  rtl::Variant id = rtl::Invoke(FuncStorageObj, TarnCore::FuncStorage::UserID);
  const rtl::Variant& value = id.Target();
  if (value.Type() == rtl::VarType::OleStr) {
    rtl::WideString text;
    for (char16_t c : value.AsWideString()) {
      text += c;
      if (c == u'\'') text += c;
    }
    return rtl::Variant(text);
  }
  if (value.Type() == rtl::VarType::String) {
    rtl::AnsiString text = rtl::QuotedStr(value.AsString());  // quote bytes never occur inside a GBK character
    return rtl::Variant(text.substr(1, text.size() - 2));
  }
  return value;
}

void Alert(const char* text) { rtl::Invoke(FuncStorageObj, TarnCore::FuncStorage::alert, {rtl::Variant(text)}); }

rtl::AnsiString HexDigestOf(const rtl::AnsiString& text) { return DigestHexText(DigestOfText(rtl::Trim(text))); }

}  // namespace

TFrmCP::TFrmCP(rtl::TComponent* owner) : TForm(owner) {
  AddDescription("TFrmCP");
  PublishField("Label3", Label3);
  PublishField("Label4", Label4);
  PublishField("Label5", Label5);
  PublishField("Shape1", Shape1);
  PublishField("Label1", Label1);
  PublishField("Label2", Label2);
  PublishField("UserID", UserID);
  PublishField("UserName", UserName);
  PublishField("Label6", Label6);
  PublishField("Bevel1", Bevel1);
  PublishField("EdtOldPass", EdtOldPass);
  PublishField("EdtNewPass", EdtNewPass);
  PublishField("EdtNewPass1", EdtNewPass1);
  PublishField("Image1", Image1);
  PublishField("ClientDataSet1", ClientDataSet1);
  PublishField("ImageList1", ImageList1);
  PublishField("BtnModify", BtnModify);
  PublishField("BtnCancel", BtnCancel);
  PublishMethod("FormCreate", rtl::TNotifyEvent([this](rtl::TObject* s) { FormCreate(s); }));
  PublishMethod("FormShow", rtl::TNotifyEvent([this](rtl::TObject* s) { FormShow(s); }));
  PublishMethod("EdtOldPassKeyDown", rtl::TKeyEvent([this](rtl::TObject* s, rtl::Word& k, rtl::TShiftState sh) {
                  EdtOldPassKeyDown(s, k, sh);
                }));
  PublishMethod("EdtNewPassKeyDown", rtl::TKeyEvent([this](rtl::TObject* s, rtl::Word& k, rtl::TShiftState sh) {
                  EdtNewPassKeyDown(s, k, sh);
                }));
  PublishMethod("EdtNewPass1KeyDown", rtl::TKeyEvent([this](rtl::TObject* s, rtl::Word& k, rtl::TShiftState sh) {
                  EdtNewPass1KeyDown(s, k, sh);
                }));
  PublishMethod("BtnModifyClick", rtl::TNotifyEvent([this](rtl::TObject* s) { BtnModifyClick(s); }));
  PublishMethod("BtnCancelClick", rtl::TNotifyEvent([this](rtl::TObject* s) { BtnCancelClick(s); }));
}

void TFrmCP::FormCreate(rtl::TObject*) {
  errorCount_ = 0;
  FuncStorageObj = rtl::CreateOleObject(TarnCore::FuncStorageProgID);
  DataCtlObj = rtl::CreateOleObject(TarnCore::DataCtlProgID);
  UserName->SetCaption(rtl::Invoke(FuncStorageObj, TarnCore::FuncStorage::UserName).AsString());
  UserID->SetCaption(rtl::Invoke(FuncStorageObj, TarnCore::FuncStorage::UserID).AsString());
}

void TFrmCP::FormShow(rtl::TObject*) { EdtOldPass->SetFocus(); }

void TFrmCP::EdtOldPassKeyDown(rtl::TObject*, rtl::Word& key, rtl::TShiftState) {
  if (key == rtl::VK_RETURN) EdtNewPass->SetFocus();
}

void TFrmCP::EdtNewPassKeyDown(rtl::TObject*, rtl::Word& key, rtl::TShiftState) {
  if (key == rtl::VK_RETURN) EdtNewPass1->SetFocus();
}

void TFrmCP::EdtNewPass1KeyDown(rtl::TObject*, rtl::Word& key, rtl::TShiftState) {
  if (key == rtl::VK_RETURN) BtnModify->SetFocus();
}

void TFrmCP::BtnModifyClick(rtl::TObject*) {
  if (rtl::Trim(EdtOldPass->Text()).empty()) {
    Alert("旧密码不得为空！");
    EdtOldPass->SetFocus();
    return;
  }
  if (rtl::Trim(EdtNewPass->Text()).empty()) {
    Alert("新密码不得为空！");
    EdtNewPass->SetFocus();
    return;
  }
  if (rtl::Trim(EdtNewPass1->Text()).empty()) {
    Alert("新密码不得为空！");
    EdtNewPass1->SetFocus();
    return;
  }
  if (rtl::Trim(EdtNewPass->Text()) != rtl::Trim(EdtNewPass1->Text())) {
    Alert("两次新密码不相同！");
    EdtNewPass->SetFocus();
    return;
  }
  // Reading and comparing are not guarded: a failure there reaches the form
  // runtime's default handling, with the count unchanged.
  rtl::AnsiString query =
      (rtl::Variant("select password from P_User Where UserCode = '") + QuotedUserID() + rtl::Variant("'")).AsString();
  ClientDataSet1->SetData(rtl::InvokeWithRefs(DataCtlObj, TarnCore::DataCtl::Opensql, {rtl::TextRef(query)}));
  if (ClientDataSet1->Eof() || rtl::UpperCase(ClientDataSet1->FieldByName("password")->AsString()) !=
                                   rtl::UpperCase(HexDigestOf(EdtOldPass->Text()))) {
    WrongOldPassword();
    return;
  }
  try {
    const rtl::AnsiString hex = HexDigestOf(EdtNewPass->Text());
    rtl::AnsiString statement =
        (rtl::Variant("Update P_User Set PassWord ='" + hex + "'" + " Where UserCode = " + "'") + QuotedUserID() +
         rtl::Variant("'"))
            .AsString();
    rtl::InvokeWithRefs(DataCtlObj, TarnCore::DataCtl::Execsql, {rtl::TextRef(statement)});
  } catch (...) {
    Alert("密码修改出现错误！");
    return;
  }
  // The new digest is stored: the change succeeded whatever the prompt does.
  try {
    rtl::Invoke(FuncStorageObj, TarnCore::FuncStorage::prompt, {rtl::Variant("密码修改成功！")});
  } catch (...) {
    rtl::Application->HandleException();
  }
  Close();
}

void TFrmCP::WrongOldPassword() {
  Alert("原密码错误！");
  ++errorCount_;
  Label6->SetCaption("错误操作: " + rtl::IntToStr(errorCount_) + " 次");
  if (errorCount_ > 3) Close();
}

void TFrmCP::BtnCancelClick(rtl::TObject*) { Close(); }

void UChangePasswordInitialization() { InitCount.Enter(); }

void UChangePasswordFinalization() {
  if (!InitCount.Leave()) return;
  DataCtlObj = rtl::Variant();
  FuncStorageObj = rtl::Variant();
}

}  // namespace automation
