// The main() of the test programs that link the harness: GoogleTest with the
// form-leak check after every test.
#include <gtest/gtest.h>

#include "runtime/forms/Application.h"
#include "tests/support/FormLeakCheck.h"

namespace velmora::test {

void CheckNoFormsOwnedByApplication() {
  const std::size_t owned = rtl::Application->ComponentCount();
  if (owned == 0) return;
  ADD_FAILURE() << "expected 0 components owned by Application, got " << owned;
  while (rtl::Application->ComponentCount() > 0) {
    rtl::Free(rtl::Application->Components(rtl::Application->ComponentCount() - 1));
  }
}

namespace {

class FormLeakListener : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override { CheckNoFormsOwnedByApplication(); }
};

}  // namespace
}  // namespace velmora::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new velmora::test::FormLeakListener);
  return RUN_ALL_TESTS();
}
