#include "tests/support/FormLeakCheck.h"

#include "runtime/forms/Application.h"

namespace velmora::test {

void CheckNoFormsOwnedByApplication() {
  const std::size_t owned = rtl::Application->ComponentCount();
  if (owned == 0) return;
  ADD_FAILURE() << "expected 0 forms owned by Application, got " << owned;
  while (rtl::Application->ComponentCount() > 0) {
    rtl::Free(rtl::Application->Components(rtl::Application->ComponentCount() - 1));
  }
}

void FormLeakListener::OnTestEnd(const ::testing::TestInfo&) { CheckNoFormsOwnedByApplication(); }

}  // namespace velmora::test
