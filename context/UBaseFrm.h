// TBaseForm: the base of the module's forms. It gives them the common look
// (look-and-feel controller, two colour styles, the common font), moving the
// focus to the next control, and function-rights gating: each object in the
// rights list is shown or hidden, every time the form is shown, according to
// whether the user holds the function whose id the object carries in its Tag.
#pragma once

#include <memory>

#include "runtime/components/ObjectList.h"
#include "runtime/forms/Form.h"
#include "runtime/units/Units.h"
#include "suite/cxStyles.h"

namespace context {

class TBaseForm : public rtl::TForm {
 public:
  const char* ClassName() const noexcept override { return "TBaseForm"; }

  suite::TcxLookAndFeelController* cxLookAndFeelController1 = nullptr;
  suite::TcxStyleRepository* cxStyleRepository1 = nullptr;
  suite::TcxStyle* cxStyle1 = nullptr;
  suite::TcxStyle* cxStyle2 = nullptr;

  // The rights list. Each entry is a TdxBarButton or a TControl whose Tag is
  // the ModFunID it needs; the list owns its entries. Descendants add to it
  // after the create event.
  rtl::Owned<rtl::TObjectList> FRightObjList;

  // The rights pass: shows each registered object whose function the user
  // holds and hides the others.
  virtual void ApplyFunRights();

  void NextObject();
  void FormCreate(rtl::TObject* sender);
  void FormDestroy(rtl::TObject* sender);
  void FormShow(rtl::TObject* sender);

 protected:
  explicit TBaseForm(rtl::TComponent* owner);
};

extern constinit rtl::UnitCounter UBaseFrmInitCount;

}  // namespace context
