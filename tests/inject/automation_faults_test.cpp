// The automation edition against the host's servers when one of them cannot
// be created, or one member fails or answers the unexpected, one at a time,
// and against a database that is locked, read-only, full or loses the
// user's table or row while the dialog is open.
#include "contract/VelmoraContract.h"
#include "host/services/AutomationServers.h"
#include "host/services/PasswordEncoding.h"
#include "runtime/db/DataPacket.h"
#include "tests/automation/AutomationFixture.h"
#include "tests/inject/FaultFixture.h"

namespace velmora::test {
namespace {

// The reference host's two automation servers, registered under their
// ProgIDs for as long as this object lives, each object behind a
// FaultyDispatch. The plan can also make creating one fail
// ("create TarnCore.FuncStorage": Fails) or hand out no object (Answers).
rtl::ComServerFactory Faulty(const char* progId, FaultPlan& plan, std::function<rtl::DispatchPtr()> make) {
  return [progId, &plan, make = std::move(make)](rtl::DispatchPtr& out) {
    if (const Fault* fault = plan.Take(std::string("create ") + progId)) {
      if (fault->kind == FaultKind::Fails) return rtl::CO_E_SERVER_EXEC_FAILURE;
      return rtl::S_OK;  // and no object
    }
    return rtl::SafeCallBoundary([&] { out = FaultyDispatch::Wrap(make(), plan); });
  };
}

class FaultyServers {
 public:
  FaultyServers(host::ModuleSql& sql, const host::UserRecord& user, rtl::TFrontEnd& screen, FaultPlan& plan)
      : funcStorage_(
            TarnCore::FuncStorageProgID,
            Faulty(TarnCore::FuncStorageProgID, plan, [user, &screen] { return host::NewFuncStorage(user, screen); })),
        dataCtl_(TarnCore::DataCtlProgID,
                 Faulty(TarnCore::DataCtlProgID, plan, [&sql] { return host::NewDataCtl(sql); })) {}

 private:
  rtl::ComServerRegistration funcStorage_;
  rtl::ComServerRegistration dataCtl_;
};

class AutomationFaults : public FaultInjection {
 protected:
  AutomationFaults()
      : FaultInjection(Edition::Automation, {"md5demo", host::Md5Hex("new"), kPasswordChanged, kModalClosed}) {}

  void MakeHost() override {
    servers_ = std::make_unique<FaultyServers>(db_.Sql(), db_.User(user_.code), screen_, plan_);
  }

  // The edits stay as typed; only a wrong old password is counted.
  void ExpectOpenAfterFault(const FaultCase& c, const rtl::TCustomForm& form) override {
    EXPECT_EQ(CaptureState(form).edits, Edits(c.oldPass, "new", "new"));
    const auto& label = dynamic_cast<const rtl::TControl&>(*form.FindComponent("Label6"));
    EXPECT_EQ(label.Caption(), Showed(c, kOldPasswordWrong) ? WrongCountText(1) : "") << Readable(label.Caption());
  }

  std::unique_ptr<FaultyServers> servers_;
};

TEST_P(AutomationFaults, ShowsItsOutcome) { RunCase(); }

// A data packet with one field of type and a row for each value.
rtl::Variant Packet(const char* field, rtl::TFieldType type, std::vector<rtl::Variant> values) {
  rtl::DataPacket packet;
  packet.AddField(field, type);
  for (rtl::Variant& value : values) packet.AppendRow({std::move(value)});
  return rtl::Variant(rtl::EncodeDataPacket(packet));
}

rtl::Variant Passwords(std::vector<rtl::Variant> values) {
  return Packet("password", rtl::ftString, std::move(values));
}

// The user's packet without its last bytes.
rtl::Variant TruncatedPacket() {
  const rtl::Variant whole = Passwords({rtl::Variant(host::Md5Hex("old"))});
  const rtl::ByteArray& bytes = whole.AsByteArray();
  return rtl::Variant(rtl::ByteArray(bytes.begin(), bytes.end() - 5));
}

using D = DbCondition;
const Ends Open = Ends::Open, Changed = Ends::Changed, NotCreated = Ends::NotCreated;
const rtl::Variant kOld(host::Md5Hex("old"));
const rtl::Variant kOther(host::Md5Hex("other"));

// Through COM (Windows) a server's text crosses as an automation string:
// 8-bit text that is not GBK fails the call inside the server, as text GBK
// cannot map does everywhere. Elsewhere the bytes reach the dialog as they are.
FaultCase UserNameMalformedGbk() {
#if defined(_WIN32)
  return FaultCase{"UserNameMalformedGbk", Answers("UserName", MalformedGbk()), {}, NotCreated};
#else
  return FaultCase{
      "UserNameMalformedGbk", Answers("UserName", MalformedGbk()), {Information(kPasswordChanged)}, Changed};
#endif
}

// UserID's first call names the user when the dialog is made, its second
// goes into the query, its third into the update.
INSTANTIATE_TEST_SUITE_P(
    Servers, AutomationFaults,
    ::testing::Values(
        FaultCase{"CreateFuncStorageFails", Fails("create TarnCore.FuncStorage"), {}, NotCreated},
        FaultCase{"CreateDataCtlFails", Fails("create TarnCore.DataCtl"), {}, NotCreated},
        FaultCase{"CreateDataCtlGivesNoObject", Answers("create TarnCore.DataCtl", rtl::Variant()), {}, NotCreated},
        FaultCase{"UserNameFails", Fails("UserName"), {}, NotCreated},
        FaultCase{"UserNameRaises", Raises("UserName"), {}, NotCreated},
        FaultCase{"UserNameNull", Answers("UserName", rtl::Variant::Null()), {}, NotCreated},
        FaultCase{"UserNameObject", Answers("UserName", AnObject()), {}, NotCreated},
        FaultCase{"UserNameUnmappable", Answers("UserName", UnmappableText()), {}, NotCreated},
        FaultCase{"UserNameEmptyText", Answers("UserName", rtl::Variant("")), {Information(kPasswordChanged)}, Changed},
        FaultCase{"UserNameLongText", Answers("UserName", LongText()), {Information(kPasswordChanged)}, Changed},
        UserNameMalformedGbk(), FaultCase{"UserIdOnCreateFails", Fails("UserID", 1), {}, NotCreated},
        FaultCase{"UserIdOnCreateNull", Answers("UserID", rtl::Variant::Null(), 1), {}, NotCreated},
        FaultCase{"UserIdOnQueryFails", Fails("UserID", 2), {Error(kHostCallFailed)}},
        FaultCase{"UserIdOnQueryRaises", Raises("UserID", 2), {Error(kHostRaised)}},
        FaultCase{"UserIdOnQueryNull", Answers("UserID", rtl::Variant::Null(), 2), {Error(kWrongType)}},
        FaultCase{"UserIdOnQueryEmpty", Answers("UserID", rtl::Variant(), 2), {Warning(kOldPasswordWrong)}},
        FaultCase{"UserIdOnQueryEmptyText", Answers("UserID", rtl::Variant(u""), 2), {Warning(kOldPasswordWrong)}},
        FaultCase{"UserIdOnQueryInteger", Answers("UserID", rtl::Variant(std::int32_t{42}), 2), {Error(kWrongType)}},
        FaultCase{"UserIdOnQueryObject", Answers("UserID", AnObject(), 2), {Error(kWrongType)}},
        FaultCase{"UserIdOnQueryLongText", Answers("UserID", LongText(), 2), {Warning(kOldPasswordWrong)}},
        FaultCase{"UserIdOnQueryMalformedGbk", Answers("UserID", MalformedGbk(), 2), {Error(kUnreadable)}},
        FaultCase{"UserIdOnQueryUnmappable", Answers("UserID", UnmappableText(), 2), {Error(kUnmappable)}},
        FaultCase{
            "UserIdOnQueryQuotes", Answers("UserID", rtl::Variant(kInjectedCode), 2), {Warning(kOldPasswordWrong)}},
        FaultCase{"UserIdOnUpdateFails", Fails("UserID", 3), {Warning(kChangeFailed)}},
        FaultCase{"UserIdOnUpdateNull", Answers("UserID", rtl::Variant::Null(), 3), {Warning(kChangeFailed)}},
        FaultCase{"UserIdOnUpdateEmptyText", Answers("UserID", rtl::Variant(u""), 3), {Warning(kChangeFailed)}},
        FaultCase{"UserIdOnUpdateQuotes", Answers("UserID", rtl::Variant(kInjectedCode), 3), {Warning(kChangeFailed)}},
        FaultCase{"OpensqlFails", Fails("Opensql"), {Error(kHostCallFailed)}},
        FaultCase{"OpensqlRaises", Raises("Opensql"), {Error(kHostRaised)}},
        FaultCase{"OpensqlNull", Answers("Opensql", rtl::Variant::Null()), {Error(kDataAccess)}},
        FaultCase{"OpensqlInteger", Answers("Opensql", rtl::Variant(std::int32_t{42})), {Error(kDataAccess)}},
        FaultCase{"OpensqlLongText", Answers("Opensql", LongText()), {Error(kDataAccess)}},
        FaultCase{"OpensqlTruncatedPacket", Answers("Opensql", TruncatedPacket()), {Error(kDataAccess)}},
        FaultCase{
            "OpensqlNoPasswordField", Answers("Opensql", Packet("pwd", rtl::ftString, {kOld})), {Error(kDataAccess)}},
        FaultCase{"OpensqlNoRows", Answers("Opensql", Passwords({})), {Warning(kOldPasswordWrong)}},
        FaultCase{
            "OpensqlNullPassword", Answers("Opensql", Passwords({rtl::Variant::Null()})), {Warning(kOldPasswordWrong)}},
        FaultCase{"OpensqlIntegerPassword",
                  Answers("Opensql", Packet("password", rtl::ftInteger, {rtl::Variant(std::int32_t{42})})),
                  {Warning(kOldPasswordWrong)}},
        FaultCase{
            "OpensqlMalformedPassword", Answers("Opensql", Passwords({MalformedGbk()})), {Warning(kOldPasswordWrong)}},
        FaultCase{"OpensqlSeveralRowsUsersSecond",
                  Answers("Opensql", Passwords({kOther, kOld})),
                  {Warning(kOldPasswordWrong)}},
        FaultCase{"OpensqlSeveralRowsUsersFirst",
                  Answers("Opensql", Passwords({kOld, kOther})),
                  {Information(kPasswordChanged)},
                  Changed},
        FaultCase{"ExecsqlFails", Fails("Execsql"), {Warning(kChangeFailed)}},
        FaultCase{"ExecsqlRaises", Raises("Execsql"), {Warning(kChangeFailed)}},
        FaultCase{"ExecsqlAnswersObject", Answers("Execsql", AnObject()), {Information(kPasswordChanged)}, Changed},
        FaultCase{"ExecsqlOverwritesItsArgument",
                  OverwritesArgument("Execsql", AnObject()),
                  {Information(kPasswordChanged)},
                  Changed},
        FaultCase{"AlertFailsOnWrongOld", Fails("alert"), {Error(kHostCallFailed)}, Open, D::None, "wrong"},
        FaultCase{"AlertRaisesOnEmptyOld", Raises("alert"), {Error(kHostRaised)}, Open, D::None, " "},
        FaultCase{"PromptFails", Fails("prompt"), {Error(kHostCallFailed)}, Changed},
        FaultCase{"PromptRaises", Raises("prompt"), {Error(kHostRaised)}, Changed},
        FaultCase{"PromptUnknown", UnknownMember("prompt"), {Error(kHostCallFailed)}, Changed}),
    CaseName());

INSTANTIATE_TEST_SUITE_P(
    Database, AutomationFaults,
    ::testing::Values(
        FaultCase{"LockedExclusive", {}, {Error(kDatabaseFailed)}, Open, D::LockedExclusive},
        FaultCase{"LockedForWriting", {}, {Warning(kChangeFailed)}, Open, D::LockedForWriting},
        FaultCase{"ReaderHoldsLock", {}, {Warning(kChangeFailed)}, Open, D::ReaderHoldsLock},
        FaultCase{"ReadOnly", {}, {Warning(kChangeFailed)}, Open, D::ReadOnly},
        FaultCase{"FullMustGrow", {}, {Warning(kChangeFailed)}, Open, D::FullMustGrow},
        FaultCase{"FullInPlace", {}, {Information(kPasswordChanged)}, Changed, D::FullInPlace},
        FaultCase{"UserTableGone", {}, {Error(kDatabaseFailed)}, Open, D::UserTableGone},
        FaultCase{"UserTableGoneBeforeWrite", Before("Execsql"), {Warning(kChangeFailed)}, Open, D::UserTableGone},
        FaultCase{"UserRowGone", {}, {Warning(kOldPasswordWrong)}, Open, D::UserRowGone},
        FaultCase{"UserRowGoneBeforeWrite", Before("Execsql"), {Warning(kChangeFailed)}, Open, D::UserRowGone}),
    CaseName());

}  // namespace
}  // namespace velmora::test
