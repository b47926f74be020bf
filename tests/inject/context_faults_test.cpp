// The context edition against a host context whose services fail or answer
// the unexpected one at a time, and against a database that is locked,
// read-only, full or loses the user's table or row while the dialog is open.
#include "host/services/ContextHost.h"
#include "host/services/PasswordEncoding.h"
#include "runtime/db/ClientDataSet.h"
#include "tests/context/ContextFixture.h"
#include "tests/inject/FaultFixture.h"

namespace velmora::test {
namespace {

// A host context standing in front of the reference host's: its services
// and fields are the reference host's unless the fault plan picks one.
// Fields (CurUserCode, PromptObj, FunRightData) take the fault's value while
// the plan is armed on them; the prompt object's member goes through a
// FaultyDispatch.
class FaultyContext final : public THostContext {
 public:
  FaultyContext(host::ContextHost& inner, FaultPlan& plan)
      : inner_(inner), plan_(plan), prompt_(FaultyDispatch::Wrap(inner.PromptObj.AsDispatch(), plan)) {
    plan_.OnChange([this] { TakeFields(); });
    TakeFields();
  }
  ~FaultyContext() override { plan_.ForgetListeners(); }
  FaultyContext(const FaultyContext&) = delete;
  FaultyContext& operator=(const FaultyContext&) = delete;

  rtl::HResult OpenSQL(const rtl::WideString& sql, rtl::Variant& result, rtl::ErrorInfo& error) noexcept override {
    const Fault* fault = plan_.Take("OpenSQL");
    if (const auto refused = Refused(fault, error)) return *refused;
    const rtl::HResult hr = inner_.OpenSQL(sql, result, error);
    if (Answers(fault, hr)) result = fault->value;
    return hr;
  }
  rtl::HResult ExecSQL(const rtl::WideString& sql, rtl::ErrorInfo& error) noexcept override {
    if (const auto refused = Refused(plan_.Take("ExecSQL"), error)) return *refused;
    return inner_.ExecSQL(sql, error);
  }
  rtl::HResult EncodePassword(const rtl::AnsiString& password, rtl::AnsiString& result,
                              rtl::ErrorInfo& error) noexcept override {
    const Fault* fault = plan_.Take("EncodePassword");
    if (const auto refused = Refused(fault, error)) return *refused;
    const rtl::HResult hr = inner_.EncodePassword(password, result, error);
    if (Answers(fault, hr)) result = fault->value.AsString();
    return hr;
  }

 private:
  static std::optional<rtl::HResult> Refused(const Fault* fault, rtl::ErrorInfo& error) noexcept {
    return fault != nullptr ? Refuse(*fault, &error) : std::nullopt;
  }
  static bool Answers(const Fault* fault, rtl::HResult hr) {
    return fault != nullptr && fault->kind == FaultKind::Answers && rtl::Succeeded(hr);
  }
  void TakeFields() {
    const Fault* code = plan_.On("CurUserCode");
    CurUserCode = code != nullptr ? code->value.AsString() : inner_.CurUserCode;
    const Fault* prompt = plan_.On("PromptObj");
    PromptObj = prompt != nullptr ? prompt->value : prompt_;
    const Fault* rights = plan_.On("FunRightData");
    FunRightData = rights == nullptr ? inner_.FunRightData : rights->value.IsNull() ? nullptr : &emptyRights_;
  }

  host::ContextHost& inner_;
  FaultPlan& plan_;
  rtl::Variant prompt_;
  rtl::TClientDataSet emptyRights_{nullptr};  // a dataset without content
};

class ContextFaults : public FaultInjection {
 protected:
  ContextFaults()
      : FaultInjection(Edition::Context, {"demo", host::EncodeHostPassword("new"), kPasswordChanged, kModalOk}) {}

  void MakeHost() override {
    host_ = std::make_unique<host::ContextHost>(db_.Sql(), db_.User(user_.code), screen_);
    faulty_ = std::make_unique<FaultyContext>(*host_, plan_);
    context_ = faulty_.get();
  }

  // A wrong old password empties its edit; nothing else changes what was typed.
  void ExpectOpenAfterFault(const FaultCase& c, const rtl::TCustomForm& form) override {
    const rtl::AnsiString old = Showed(c, kOldPasswordWrong) ? "" : c.oldPass;
    EXPECT_EQ(CaptureState(form).edits, Edits(old, "new", "new"));
  }

  std::unique_ptr<host::ContextHost> host_;
  std::unique_ptr<FaultyContext> faulty_;
};

TEST_P(ContextFaults, ShowsItsOutcome) { RunCase(); }

using D = DbCondition;
const Ends Open = Ends::Open, Changed = Ends::Changed;

// The new password's encoding answered as given is what the change stores.
FaultCase StoresWhatItWasGiven(const char* name, const rtl::Variant& encoded) {
  return {name,
          Answers("EncodePassword", encoded, 2),
          {Information(kPasswordChanged)},
          Ends::Changed,
          DbCondition::None,
          "old",
          encoded.AsString()};
}

// EncodePassword's first call encodes the old password, its second the new one.
INSTANTIATE_TEST_SUITE_P(
    HostContext, ContextFaults,
    ::testing::Values(
        FaultCase{"EncodeOldFails", Fails("EncodePassword", 1), {Error(kHostCallFailed)}},
        FaultCase{"EncodeOldRaises", Raises("EncodePassword", 1), {Error(kHostRaised)}},
        FaultCase{
            "EncodeOldEmptyText", Answers("EncodePassword", rtl::Variant(""), 1), {Information(kOldPasswordWrong)}},
        FaultCase{"EncodeOldLongText", Answers("EncodePassword", LongText(), 1), {Information(kOldPasswordWrong)}},
        FaultCase{
            "EncodeOldMalformedGbk", Answers("EncodePassword", MalformedGbk(), 1), {Information(kOldPasswordWrong)}},
        FaultCase{"EncodeNewFails", Fails("EncodePassword", 2), {Information(kPasswordNotChanged)}},
        FaultCase{"EncodeNewRaises", Raises("EncodePassword", 2), {Information(kPasswordNotChanged)}},
        FaultCase{
            "EncodeNewMalformedGbk", Answers("EncodePassword", MalformedGbk(), 2), {Information(kPasswordNotChanged)}},
        StoresWhatItWasGiven("EncodeNewEmptyText", rtl::Variant("")),
        StoresWhatItWasGiven("EncodeNewLongText", LongText()),
        StoresWhatItWasGiven("EncodeNewQuotes", rtl::Variant(kInjectedCode)),
        FaultCase{"OpenSqlFails", Fails("OpenSQL"), {Error(kHostCallFailed)}},
        FaultCase{"OpenSqlRaises", Raises("OpenSQL"), {Error(kHostRaised)}},
        FaultCase{"OpenSqlNull", Answers("OpenSQL", rtl::Variant::Null()), {Error(kWrongType)}},
        FaultCase{"OpenSqlEmpty", Answers("OpenSQL", rtl::Variant()), {Information(kOldPasswordWrong)}},
        FaultCase{"OpenSqlEmptyText", Answers("OpenSQL", rtl::Variant("")), {Information(kOldPasswordWrong)}},
        FaultCase{
            "OpenSqlInteger", Answers("OpenSQL", rtl::Variant(std::int32_t{42})), {Information(kOldPasswordWrong)}},
        FaultCase{"OpenSqlObject", Answers("OpenSQL", AnObject()), {Error(kWrongType)}},
        FaultCase{"OpenSqlLongText", Answers("OpenSQL", LongText()), {Information(kOldPasswordWrong)}},
        FaultCase{"OpenSqlMalformedGbk", Answers("OpenSQL", MalformedGbk()), {Information(kOldPasswordWrong)}},
        FaultCase{"OpenSqlUnmappableText", Answers("OpenSQL", UnmappableText()), {Error(kUnmappable)}},
        FaultCase{"ExecSqlFails", Fails("ExecSQL"), {Information(kPasswordNotChanged)}},
        FaultCase{"ExecSqlRaises", Raises("ExecSQL"), {Information(kPasswordNotChanged)}},
        FaultCase{"PromptFails", Fails("Prompt"), {Error(kHostCallFailed)}, Changed},
        FaultCase{"PromptRaises", Raises("Prompt"), {Error(kHostRaised)}, Changed},
        FaultCase{"PromptUnknown", UnknownMember("Prompt"), {Error(kHostCallFailed)}, Changed},
        FaultCase{"PromptAnswersObject", Answers("Prompt", AnObject()), {Information(kPasswordChanged)}, Changed},
        FaultCase{"PromptOverwritesItsArgument",
                  OverwritesArgument("Prompt", UnmappableText()),
                  {Information(kPasswordChanged)},
                  Changed},
        FaultCase{"PromptFailsOnWrongOld", Fails("Prompt"), {Error(kHostCallFailed)}, Open, D::None, "wrong"},
        FaultCase{"PromptObjNull", Answers("PromptObj", rtl::Variant::Null()), {Error(kWrongType)}, Changed},
        FaultCase{"PromptObjEmpty", Answers("PromptObj", rtl::Variant()), {Error(kWrongType)}, Changed},
        FaultCase{
            "PromptObjInteger", Answers("PromptObj", rtl::Variant(std::int32_t{1})), {Error(kWrongType)}, Changed},
        FaultCase{"UserCodeEmpty", Answers("CurUserCode", rtl::Variant("")), {Error(kNoRecord)}},
        FaultCase{"UserCodeQuotes", Answers("CurUserCode", rtl::Variant(kInjectedCode)), {Error(kNoRecord)}},
        FaultCase{"UserCodeLong", Answers("CurUserCode", LongText()), {Error(kNoRecord)}},
        FaultCase{"UserCodeMalformedGbk", Answers("CurUserCode", MalformedGbk()), {Error(kUnreadable)}},
        FaultCase{
            "RightsNull", Answers("FunRightData", rtl::Variant::Null()), {Information(kPasswordChanged)}, Changed},
        FaultCase{
            "RightsWithoutContent", Answers("FunRightData", rtl::Variant()), {Information(kPasswordChanged)}, Changed}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(
    Database, ContextFaults,
    ::testing::Values(
        FaultCase{"LockedExclusive", {}, {Error(kDatabaseFailed)}, Open, D::LockedExclusive},
        FaultCase{"LockedForWriting", {}, {Information(kPasswordNotChanged)}, Open, D::LockedForWriting},
        FaultCase{"ReaderHoldsLock", {}, {Information(kPasswordNotChanged)}, Open, D::ReaderHoldsLock},
        FaultCase{"ReadOnly", {}, {Information(kPasswordNotChanged)}, Open, D::ReadOnly},
        FaultCase{"FullMustGrow", {}, {Information(kPasswordNotChanged)}, Open, D::FullMustGrow},
        FaultCase{"FullInPlace", {}, {Information(kPasswordChanged)}, Changed, D::FullInPlace},
        FaultCase{"UserTableGone", {}, {Error(kDatabaseFailed)}, Open, D::UserTableGone},
        FaultCase{
            "UserTableGoneBeforeWrite", Before("ExecSQL"), {Information(kPasswordNotChanged)}, Open, D::UserTableGone},
        FaultCase{"UserRowGone", {}, {Error(kNoRecord)}, Open, D::UserRowGone},
        FaultCase{
            "UserRowGoneBeforeWrite", Before("ExecSQL"), {Information(kPasswordNotChanged)}, Open, D::UserRowGone}),
    CaseName());

}  // namespace
}  // namespace velmora::test
