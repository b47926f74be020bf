// The runtime's own component classes, known to form descriptions while the
// runtime is loaded.
#include "runtime/components/Classes.h"
#include "runtime/controls/ExtCtrls.h"
#include "runtime/controls/StdCtrls.h"

namespace rtl {
namespace {

const ClassRegistration kLabel = ClassRegistration::Of<TLabel>("TLabel");
const ClassRegistration kEdit = ClassRegistration::Of<TEdit>("TEdit");
const ClassRegistration kButton = ClassRegistration::Of<TButton>("TButton");
const ClassRegistration kBitBtn = ClassRegistration::Of<TBitBtn>("TBitBtn");
const ClassRegistration kShape = ClassRegistration::Of<TShape>("TShape");
const ClassRegistration kBevel = ClassRegistration::Of<TBevel>("TBevel");
const ClassRegistration kImage = ClassRegistration::Of<TImage>("TImage");
const ClassRegistration kImageList = ClassRegistration::Of<TImageList>("TImageList");

}  // namespace
}  // namespace rtl
