// Every form a test makes must be destroyed by the end of the test. The
// check reports the forms the application object still owns and destroys
// them, so one leak does not spill into the following tests.
#pragma once

#include <gtest/gtest.h>

namespace velmora::test {

// Adds a failure "expected 0 forms owned by Application, got N" to the
// running test when the application owns anything, then destroys it. Call
// it before unloading a library whose forms may be among them.
void CheckNoFormsOwnedByApplication();

// Runs the check after every test.
class FormLeakListener : public ::testing::EmptyTestEventListener {
 public:
  void OnTestEnd(const ::testing::TestInfo& info) override;
};

}  // namespace velmora::test
