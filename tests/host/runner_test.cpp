// What a showing of a dialog came to: the runner's one rule, a row per case.
#include "host/Runner.h"

#include <gtest/gtest.h>

#include "runtime/controls/Control.h"
#include "tests/support/Expectations.h"

namespace velmora::test {
namespace {

struct OutcomeCase {
  std::string name;
  host::DialogEnd end;
  host::Outcome outcome;
};
void PrintTo(const OutcomeCase& c, std::ostream* os) { *os << c.name; }

class DialogOutcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(DialogOutcome, FollowsTheRunnersRule) { EXPECT_EQ(host::OutcomeOf(GetParam().end), GetParam().outcome); }

using host::Outcome;
constexpr int kOk = rtl::mrOk;
constexpr int kCancel = rtl::mrCancel;

// DialogEnd: modal result, input ran out, closed after an alert, writes.
INSTANTIATE_TEST_SUITE_P(Rules, DialogOutcome,
                         ::testing::Values(
                             // A password written stays written, whatever the dialog did afterwards.
                             OutcomeCase{"WrittenThenOk", {kOk, false, false, 1}, Outcome::Changed},
                             OutcomeCase{"WrittenThenCancelled", {kCancel, false, false, 1}, Outcome::Changed},
                             OutcomeCase{"WrittenThenInputRanOut", {kOk, true, false, 1}, Outcome::Changed},
                             OutcomeCase{"WrittenThenClosedAfterAnAlert", {kCancel, false, true, 1}, Outcome::Changed},
                             OutcomeCase{"WrittenThenShowingFailed", {std::nullopt, false, false, 1}, Outcome::Changed},
                             OutcomeCase{"WrittenTwice", {kOk, false, false, 2}, Outcome::Changed},
                             OutcomeCase{"NotShown", {std::nullopt, false, false, 0}, Outcome::Failed},
                             OutcomeCase{"InputRanOut", {kCancel, true, false, 0}, Outcome::Failed},
                             OutcomeCase{"ClosedAfterAnAlert", {kCancel, false, true, 0}, Outcome::Failed},
                             // A dialog that reports a change the host never wrote is not believed.
                             OutcomeCase{"OkWithoutAWrite", {kOk, false, false, 0}, Outcome::Failed},
                             OutcomeCase{"Cancelled", {kCancel, false, false, 0}, Outcome::Cancelled},
                             OutcomeCase{"OtherModalResult", {7, false, false, 0}, Outcome::Cancelled}),
                         CaseName());

}  // namespace
}  // namespace velmora::test
