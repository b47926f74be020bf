#include "context/UBaseFrm.h"

#include "context/UGlobalFunUnt.h"
#include "context/UGlobalValue.h"
#include "suite/dxBar.h"

namespace context {

constinit rtl::UnitCounter UBaseFrmInitCount;

TBaseForm::TBaseForm(rtl::TComponent* owner) : TForm(owner) {
  AddDescription("TBaseForm");
  PublishField("cxLookAndFeelController1", cxLookAndFeelController1);
  PublishField("cxStyleRepository1", cxStyleRepository1);
  PublishField("cxStyle1", cxStyle1);
  PublishField("cxStyle2", cxStyle2);
  PublishMethod("FormCreate", rtl::TNotifyEvent([this](rtl::TObject* s) { FormCreate(s); }));
  PublishMethod("FormDestroy", rtl::TNotifyEvent([this](rtl::TObject* s) { FormDestroy(s); }));
  PublishMethod("FormShow", rtl::TNotifyEvent([this](rtl::TObject* s) { FormShow(s); }));
}

void TBaseForm::NextObject() { Perform(rtl::WM_NEXTDLGCTL, 0, 0); }

void TBaseForm::FormCreate(rtl::TObject*) { FRightObjList = rtl::MakeOwned<rtl::TObjectList>(true); }

void TBaseForm::FormDestroy(rtl::TObject*) { FRightObjList.reset(); }

void TBaseForm::FormShow(rtl::TObject*) { ApplyFunRights(); }

void TBaseForm::ApplyFunRights() {
  const std::size_t count = FRightObjList != nullptr ? FRightObjList->Count() : 0;
  if (count == 0) return;  // the host's rights dataset is not touched
  for (std::size_t i = 0; i < count; ++i) {
    rtl::TDataSet* rights = Host().FunRightData;
    SetDataSetFilter(rights, "ModFunTyp = 3");
    if (rights == nullptr) throw rtl::EInvalidOperation("The host has no function-rights dataset");
    rtl::TObject* entry = FRightObjList->Items(i);
    auto* barButton = dynamic_cast<suite::TdxBarButton*>(entry);
    const std::int32_t tag = barButton != nullptr ? barButton->Tag : rtl::As<rtl::TControl>(entry).Tag;
    const bool granted = rights->Locate("ModFunID", rtl::Variant(rtl::IntToStr(tag)), {});
    if (barButton != nullptr) {
      barButton->Visible = granted ? suite::TdxBarItemVisible::ivAlways : suite::TdxBarItemVisible::ivNever;
    } else {
      rtl::As<rtl::TControl>(entry).SetVisible(granted);
    }
  }
}

}  // namespace context
