// The host's pieces in-process: the write service's one-row rule, what the
// host's services tell the module and standard error when they fail, the
// host's password encoding and how it tells the editions apart.
#include <gtest/gtest.h>

#include "contract/VelmoraContract.h"
#include "host/AutomationServers.h"
#include "host/ContextHost.h"
#include "host/Encoding.h"
#include "host/HostSql.h"
#include "host/LibraryResources.h"
#include "host/Runner.h"
#include "runtime/dispatch/ComServers.h"
#include "runtime/dispatch/LateBinding.h"
#include "runtime/except/Exceptions.h"
#include "tests/support/Expectations.h"
#include "tests/support/LibraryPaths.h"
#include "tests/support/ResourceBlob.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

struct WriteCase {
  const char* name;
  rtl::WideString sql;
  bool committed;  // else refused, keeping nothing
};
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class ExecuteWide : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ExecuteWide, CommitsOnlyAStatementThatChangedExactlyOneRowAndLeavesNoTransaction) {
  TempDatabase db;
  db.AddUser("a", std::string("x"));
  db.AddUser("b", std::string("x"));
  host::SessionLog log;
  const bool committed = GetParam().committed;
  if (committed) {
    host::ExecuteWide(db.Db(), GetParam().sql, log);
  } else {
    EXPECT_THROW(host::ExecuteWide(db.Db(), GetParam().sql, log), rtl::Exception);
  }
  EXPECT_EQ(log.passwordWrites, committed ? 1 : 0);
  // As another connection sees them; writing there fails while a transaction is open.
  const auto other = db.OpenConnection();
  const auto rows = other->Query("SELECT PassWord FROM P_User ORDER BY UserCode");
  EXPECT_EQ(rows[0][0], committed ? "y" : "x");
  EXPECT_EQ(rows[1][0], "x");
  EXPECT_NO_THROW(other->Execute("UPDATE P_User SET UserName = UserName WHERE UserCode = 'a'"));
}

INSTANTIATE_TEST_SUITE_P(
    Statements, ExecuteWide,
    ::testing::Values(WriteCase{"OneRowChanged", u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'a'", true},
                      WriteCase{"NoRowChanged", u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'none'", false},
                      WriteCase{"TwoRowsChangedAreRolledBack", u"UPDATE P_User SET PassWord = 'y'", false},
                      WriteCase{"TwoStatements",
                                u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'a'; "
                                u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'b'",
                                false},
                      WriteCase{"SyntaxError", u"UPDATE P_User SET WHERE", false}),
    CaseName());

struct ServiceFailureCase {
  const char* name;
  // Calls a service so that it fails; gives the description the module received.
  std::function<rtl::AnsiString(host::ContextHost&)> call;
  rtl::AnsiString description;  // for the person (GBK)
  const char* detail;           // on standard error
};
void PrintTo(const ServiceFailureCase& c, std::ostream* os) { *os << c.name; }

class ContextServiceFailure : public ::testing::TestWithParam<ServiceFailureCase> {};

TEST_P(ContextServiceFailure, TellsTheModuleInChineseAndStandardErrorTheDetail) {
  TempDatabase db;
  db.AddUser("a", std::string("x"));
  host::SessionLog log;
  host::ContextHost context(db.Db(), db.User("a"), log);
  ::testing::internal::CaptureStderr();
  const rtl::AnsiString description = GetParam().call(context);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(description, GetParam().description) << ExpectedGot(GetParam().description, description);
  EXPECT_NE(err.find(GetParam().detail), std::string::npos) << "expected \"" << GetParam().detail << "\", got " << err;
}

INSTANTIATE_TEST_SUITE_P(
    Services, ContextServiceFailure,
    ::testing::Values(
        ServiceFailureCase{"QueryOfAMissingTable",
                           [](host::ContextHost& c) {
                             rtl::Variant result;
                             rtl::ErrorInfo error;
                             EXPECT_NE(c.OpenSQL(u"SELECT x FROM nowhere", result, error), 0);
                             return error.description;
                           },
                           "数据库访问出错，操作未完成。", "velmora-host: OpenSQL failed: database error: "},
        ServiceFailureCase{"QueryFindingNoRow",
                           [](host::ContextHost& c) {
                             rtl::Variant result;
                             rtl::ErrorInfo error;
                             EXPECT_NE(c.OpenSQL(u"SELECT PassWord FROM P_User WHERE 0", result, error), 0);
                             return error.description;
                           },
                           "查询没有找到记录", "velmora-host: OpenSQL failed: the query found no row"},
        ServiceFailureCase{"UpdateChangingNoRow",
                           [](host::ContextHost& c) {
                             rtl::ErrorInfo error;
                             EXPECT_NE(c.ExecSQL(u"UPDATE P_User SET PassWord = 'y' WHERE 0", error), 0);
                             return error.description;
                           },
                           "没有记录被修改", "velmora-host: ExecSQL failed: the statement changed no row"}),
    CaseName());

TEST(AutomationServiceFailure, TellsTheModuleInChineseAndStandardErrorTheDetail) {
  TempDatabase db;
  db.AddUser("a", std::string("x"));
  host::SessionLog log;
  const host::AutomationServers servers(db.Db(), db.User("a"), log);
  const rtl::Variant dataCtl = rtl::CreateOleObject(TarnCore::DataCtlProgID);
  ::testing::internal::CaptureStderr();
  try {
    rtl::Invoke(dataCtl, TarnCore::DataCtl::Opensql, {rtl::Variant("SELECT x FROM nowhere")});
    ADD_FAILURE() << "expected EOleException";
  } catch (const rtl::EOleException& e) {
    EXPECT_EQ(e.UserMessage(), "数据库访问出错，操作未完成。") << Readable(e.UserMessage());
  }
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("velmora-host: Opensql failed: database error: "), std::string::npos) << err;
}

TEST(HostPasswordEncoding, IsUpperCaseSha256HexOfTheGbkBytes) {
  EXPECT_EQ(host::EncodeHostPassword(""), "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855");
  EXPECT_EQ(host::EncodeHostPassword("abc"), "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
  // The GBK bytes C3 DC C2 EB; the UTF-8 bytes would give A621AB60...
  EXPECT_EQ(host::EncodeHostPassword("密码"), "B236E47C1D5EDB97C7469E71CDDED8BE1A2C0C6C78F64C1DA9306DB51DA3C17C");
}

TEST(HostEdition, IsWhatTheLibrarysEditionResourceSaysAndNothingElse) {
  EXPECT_EQ(host::DetectEdition(host::LibraryResources(kContextLibrary).Directory()), host::Edition::Context);
  EXPECT_EQ(host::DetectEdition(host::LibraryResources(kAutomationLibrary).Directory()), host::Edition::Automation);
  const struct {
    const char* what;
    std::vector<Res> resources;
  } refused[] = {
      {"a dialog's description alone", {{rtl::RT_RCDATA, "TFRMCP", 0, Bytes("object FrmCP: TFrmCP\nend")}}},
      {"a short mark", {{rtl::RT_RCDATA, velmora::EditionResource, 0, {2, 0}}}},
      {"a mark of an unknown kind", {{rtl::RT_RCDATA, velmora::EditionResource, 0, {3, 0, 0, 0}}}},
  };
  for (const auto& c : refused) {
    const std::vector<std::uint8_t> blob = BuildBlob(c.resources);
    EXPECT_THROW(host::DetectEdition(rtl::ResourceDirectory(blob)), host::HostError) << c.what;
  }
}

}  // namespace
}  // namespace velmora::test
