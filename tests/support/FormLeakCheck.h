// Every form a test makes must be destroyed by the end of the test: the
// harness's main() runs this check after every test.
#pragma once

namespace velmora::test {

// Adds a failure "expected 0 components owned by Application, got N" to the
// running test when the application owns anything, then destroys it, so
// one leak does not spill into the following tests. Call it before
// unloading a library whose forms may be among them.
void CheckNoFormsOwnedByApplication();

}  // namespace velmora::test
