// TEditLogPaswrdForm: the change-login-password dialog. The user types the
// old password, the new one and the new one again; OK verifies the old one
// through the host's encoding against P_User, checks the two new entries,
// writes the encoded new password and reports through the host's prompt.
#pragma once

#include "context/UBaseFrm.h"
#include "suite/cxControls.h"

namespace context {

class TEditLogPaswrdForm : public TBaseForm {
 public:
  explicit TEditLogPaswrdForm(rtl::TComponent* owner);
  const char* ClassName() const noexcept override { return "TEditLogPaswrdForm"; }

  suite::TcxTabControl* cxTabControl1 = nullptr;
  suite::TcxGroupBox* cxGroupBox4 = nullptr;
  suite::TcxButton* btnCancel = nullptr;
  suite::TcxButton* btnOK = nullptr;
  suite::TcxLabel* lbl1 = nullptr;
  suite::TcxLabel* lbl2 = nullptr;
  suite::TcxLabel* lbl3 = nullptr;
  suite::TcxMaskEdit* edtOldPass = nullptr;
  suite::TcxMaskEdit* edtNewPass = nullptr;
  suite::TcxMaskEdit* edtConfirmPass = nullptr;
  suite::TcxImage* cxImage1 = nullptr;

  void PressKeyToSave(rtl::TObject* sender, char& key);
  void KeyPressNextObject(rtl::TObject* sender, char& key);
  void FormShow(rtl::TObject* sender);
  void btnOKClick(rtl::TObject* sender);
  void btnCancelClick(rtl::TObject* sender);
};

extern constinit rtl::UnitCounter UEditLogPaswrdFrmInitCount;

}  // namespace context
