#include "context/UEditLogPaswrdFrm.h"

#include "context/UGlobalFunUnt.h"
#include "context/UGlobalValue.h"
#include "runtime/forms/Application.h"
#include "runtime/text/Gbk.h"

namespace context {
namespace {

rtl::AnsiString EncodePassword(const rtl::AnsiString& password) {
  rtl::AnsiString encoded;
  rtl::SafeCallRaise([&](rtl::ErrorInfo& e) { return Host().EncodePassword(password, encoded, e); });
  return encoded;
}

rtl::Variant OpenSQL(const rtl::AnsiString& sql) {
  const rtl::WideString wide = rtl::GbkToWide(sql);  // raises for bytes that are not GBK
  rtl::Variant result;
  rtl::SafeCallRaise([&](rtl::ErrorInfo& e) { return Host().OpenSQL(wide, result, e); });
  return result;
}

void ExecSQL(const rtl::AnsiString& sql) {
  const rtl::WideString wide = rtl::GbkToWide(sql);
  rtl::SafeCallRaise([&](rtl::ErrorInfo& e) { return Host().ExecSQL(wide, e); });
}

}  // namespace

constinit rtl::UnitCounter UEditLogPaswrdFrmInitCount;

TEditLogPaswrdForm::TEditLogPaswrdForm(rtl::TComponent* owner) : TBaseForm(owner) {
  AddDescription("TEditLogPaswrdForm");
  PublishField("cxTabControl1", cxTabControl1);
  PublishField("cxGroupBox4", cxGroupBox4);
  PublishField("btnCancel", btnCancel);
  PublishField("btnOK", btnOK);
  PublishField("lbl1", lbl1);
  PublishField("lbl2", lbl2);
  PublishField("lbl3", lbl3);
  PublishField("edtOldPass", edtOldPass);
  PublishField("edtNewPass", edtNewPass);
  PublishField("edtConfirmPass", edtConfirmPass);
  PublishField("cxImage1", cxImage1);
  PublishMethod("PressKeyToSave", rtl::TKeyPressEvent([this](rtl::TObject* s, char& k) { PressKeyToSave(s, k); }));
  PublishMethod("KeyPressNextObject",
                rtl::TKeyPressEvent([this](rtl::TObject* s, char& k) { KeyPressNextObject(s, k); }));
  PublishMethod("FormShow", rtl::TNotifyEvent([this](rtl::TObject* s) { FormShow(s); }));
  PublishMethod("btnOKClick", rtl::TNotifyEvent([this](rtl::TObject* s) { btnOKClick(s); }));
  PublishMethod("btnCancelClick", rtl::TNotifyEvent([this](rtl::TObject* s) { btnCancelClick(s); }));
}

void TEditLogPaswrdForm::PressKeyToSave(rtl::TObject*, char& key) {
  if (key == '\r') btnOK->Click();
}

void TEditLogPaswrdForm::KeyPressNextObject(rtl::TObject*, char& key) {
  if (key == '\r') Perform(rtl::WM_NEXTDLGCTL, 0, 0);
}

void TEditLogPaswrdForm::FormShow(rtl::TObject* sender) {
  TBaseForm::FormShow(sender);
  edtOldPass->SetFocus();
}

void TEditLogPaswrdForm::btnOKClick(rtl::TObject*) {
  // Reading and comparing are not guarded: a failure there reaches the form
  // runtime's default handling and nothing is written.
  const rtl::AnsiString encodedOld = EncodePassword(edtOldPass->Text());
  const rtl::AnsiString query = "Select PassWord From P_User Where UserCode = " + rtl::QuotedStr(Host().CurUserCode);
  const rtl::AnsiString stored = OpenSQL(query).AsString();
  if (stored != encodedOld) {
    ShowPrompt("旧密码错误!请重新输入!");
    edtOldPass->SetText("");
    edtOldPass->SetFocus();
    return;
  }
  if (edtNewPass->Text() != edtConfirmPass->Text()) {
    ShowPrompt("新密码与确认密码不一致，请重新输入!");
    edtNewPass->SetText("");
    edtConfirmPass->SetText("");
    edtNewPass->SetFocus();
    return;
  }
  try {
    const rtl::AnsiString encodedNew = EncodePassword(edtNewPass->Text());
    const rtl::AnsiString statement = "UpDate P_User Set PassWord = " + rtl::QuotedStr(encodedNew) +
                                      " Where UserCode = " + rtl::QuotedStr(Host().CurUserCode);
    ExecSQL(statement);
  } catch (...) {
    ShowPrompt("口令修改失败!");
    return;
  }
  // The row is rewritten: the change succeeded whatever the prompt does.
  try {
    ShowPrompt("口令修改成功!");
  } catch (...) {
    rtl::Application->HandleException();
  }
  SetModalResult(rtl::mrOk);
}

void TEditLogPaswrdForm::btnCancelClick(rtl::TObject*) { SetModalResult(rtl::mrCancel); }

}  // namespace context
