// TFrmCP: the automation edition's change-password dialog. The user types
// the old password once and the new one twice; Modify verifies the old one
// against the MD5 digest stored in the user's P_User row, writes the digest
// of the new one and closes. Four wrong old passwords in a form's life close
// it. The host is reached only through its two automation servers, held at
// unit level in FuncStorageObj and DataCtlObj.
#pragma once

#include <cstdint>

#include "runtime/controls/ExtCtrls.h"
#include "runtime/controls/StdCtrls.h"
#include "runtime/db/ClientDataSet.h"
#include "runtime/forms/Form.h"
#include "runtime/units/Units.h"
#include "runtime/variant/Variant.h"

namespace automation {

class TFrmCP : public rtl::TForm {
 public:
  explicit TFrmCP(rtl::TComponent* owner);
  const char* ClassName() const noexcept override { return "TFrmCP"; }

  rtl::TLabel* Label3 = nullptr;
  rtl::TLabel* Label4 = nullptr;
  rtl::TLabel* Label5 = nullptr;
  rtl::TShape* Shape1 = nullptr;
  rtl::TLabel* Label1 = nullptr;
  rtl::TLabel* Label2 = nullptr;
  rtl::TLabel* UserID = nullptr;
  rtl::TLabel* UserName = nullptr;
  rtl::TLabel* Label6 = nullptr;
  rtl::TBevel* Bevel1 = nullptr;
  rtl::TEdit* EdtOldPass = nullptr;
  rtl::TEdit* EdtNewPass = nullptr;
  rtl::TEdit* EdtNewPass1 = nullptr;
  rtl::TImage* Image1 = nullptr;
  rtl::TClientDataSet* ClientDataSet1 = nullptr;
  rtl::TImageList* ImageList1 = nullptr;
  rtl::TBitBtn* BtnModify = nullptr;
  rtl::TBitBtn* BtnCancel = nullptr;

  void FormCreate(rtl::TObject* sender);
  void FormShow(rtl::TObject* sender);
  void EdtOldPassKeyDown(rtl::TObject* sender, rtl::Word& key, rtl::TShiftState shift);
  void EdtNewPassKeyDown(rtl::TObject* sender, rtl::Word& key, rtl::TShiftState shift);
  void EdtNewPass1KeyDown(rtl::TObject* sender, rtl::Word& key, rtl::TShiftState shift);
  void BtnModifyClick(rtl::TObject* sender);
  void BtnCancelClick(rtl::TObject* sender);

 private:
  void WrongOldPassword();
  std::int32_t errorCount_ = 0;
};

// The host's servers, replaced by each dialog's creation and released at unload.
extern constinit rtl::Variant& FuncStorageObj;
extern constinit rtl::Variant& DataCtlObj;

// The dialog most recently made by CreateModule; only ever tested for empty.
extern constinit TFrmCP* FrmCP;

void UChangePasswordInitialization();
void UChangePasswordFinalization();

}  // namespace automation
