// The main() of the test programs that link the harness: GoogleTest with the
// form-leak check after every test.
#include <gtest/gtest.h>

#include "tests/support/FormLeakCheck.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new velmora::test::FormLeakListener);
  return RUN_ALL_TESTS();
}
