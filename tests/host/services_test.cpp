// What the host serves a module, in-process: the write service's one-row
// rule, what the services tell the module and standard error when they
// fail, and the host's password encoding.
#include <gtest/gtest.h>

#include "contract/VelmoraContract.h"
#include "host/services/AutomationServers.h"
#include "host/services/ContextHost.h"
#include "host/services/ModuleSql.h"
#include "host/services/PasswordEncoding.h"
#include "runtime/dispatch/ComServers.h"
#include "runtime/dispatch/LateBinding.h"
#include "runtime/except/Exceptions.h"
#include "tests/support/ApplicationScreen.h"
#include "tests/support/Expectations.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

// ---- the one-row rule ----------------------------------------------------------

struct WriteCase {
  std::string name;
  rtl::WideString sql;
  bool kept;  // committed; else refused, keeping nothing
};
void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

// Users a and b, both with the password "x"; the case's statement sent
// through the write service.
class ModuleSqlWrite : public ::testing::TestWithParam<WriteCase> {
 protected:
  void SetUp() override {
    db_.AddUser("a", std::string("x"));
    db_.AddUser("b", std::string("x"));
    if (GetParam().kept) {
      db_.Sql().Execute("ExecSQL", GetParam().sql);
    } else {
      EXPECT_THROW(db_.Sql().Execute("ExecSQL", GetParam().sql), rtl::Exception);
    }
  }

  TempDatabase db_;
};

TEST_P(ModuleSqlWrite, KeepsOnlyAStatementThatChangedExactlyOneRow) {
  EXPECT_EQ(db_.Sql().Writes(), GetParam().kept ? 1 : 0);
  // As another connection sees them.
  const auto rows = db_.OpenConnection()->Query("SELECT PassWord FROM P_User ORDER BY UserCode");
  EXPECT_EQ(rows[0][0], GetParam().kept ? "y" : "x");
  EXPECT_EQ(rows[1][0], "x");
}

// Another connection can write: no transaction was left open.
TEST_P(ModuleSqlWrite, LeavesNoTransactionOpen) {
  EXPECT_NO_THROW(db_.OpenConnection()->Execute("UPDATE P_User SET UserName = UserName WHERE UserCode = 'a'"));
}

INSTANTIATE_TEST_SUITE_P(
    Statements, ModuleSqlWrite,
    ::testing::Values(WriteCase{"OneRow", u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'a'", true},
                      WriteCase{"NoRow", u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'none'", false},
                      WriteCase{"TwoRowsRolledBack", u"UPDATE P_User SET PassWord = 'y'", false},
                      WriteCase{"TwoStatements",
                                u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'a'; "
                                u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'b'",
                                false},
                      WriteCase{"NotSql", u"UPDATE P_User SET WHERE", false}),
    CaseName());

// ---- service failures ----------------------------------------------------------

class UserDatabase : public TempDatabase {
 public:
  UserDatabase() { AddUser("a", std::string("x")); }
};

// The reference host's services for user a, over a database of their own.
struct Services {
  UserDatabase db;
  ApplicationScreen screen;
  host::ContextHost context{db.Sql(), db.User("a"), screen};
  const host::AutomationServers servers{db.Sql(), db.User("a"), screen};
  const rtl::Variant dataCtl = rtl::CreateOleObject(TarnCore::DataCtlProgID);
};

struct FailureCase {
  std::string name;
  rtl::AnsiString (*call)(Services&);  // fails; gives the description the module received
  rtl::AnsiString description;         // for the person (GBK)
  const char* detail;                  // on standard error
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class ServiceFailure : public ::testing::TestWithParam<FailureCase> {
 protected:
  void SetUp() override {
    ::testing::internal::CaptureStderr();
    description_ = GetParam().call(services_);
    err_ = ::testing::internal::GetCapturedStderr();
  }

  Services services_;
  rtl::AnsiString description_;
  std::string err_;
};

TEST_P(ServiceFailure, TellsTheModuleInChinese) {
  EXPECT_EQ(description_, GetParam().description) << ExpectedGot(GetParam().description, description_);
}

TEST_P(ServiceFailure, WritesTheDetailOnStandardError) {
  EXPECT_NE(err_.find(GetParam().detail), std::string::npos)
      << "expected \"" << GetParam().detail << "\", got " << err_;
}

rtl::AnsiString OpenSqlOf(Services& s, const rtl::WideString& sql) {
  rtl::Variant result;
  rtl::ErrorInfo error;
  EXPECT_NE(s.context.OpenSQL(sql, result, error), 0);
  return error.description;
}

INSTANTIATE_TEST_SUITE_P(
    Services, ServiceFailure,
    ::testing::Values(FailureCase{"OpenSqlOfNoTable",
                                  [](Services& s) { return OpenSqlOf(s, u"SELECT x FROM nowhere"); },
                                  "数据库访问出错，操作未完成。", "velmora-host: OpenSQL failed: database error: "},
                      FailureCase{"OpenSqlFindingNoRow",
                                  [](Services& s) { return OpenSqlOf(s, u"SELECT PassWord FROM P_User WHERE 0"); },
                                  "查询没有找到记录", "velmora-host: OpenSQL failed: the query found no row"},
                      FailureCase{"ExecSqlChangingNoRow",
                                  [](Services& s) {
                                    rtl::ErrorInfo error;
                                    EXPECT_NE(s.context.ExecSQL(u"UPDATE P_User SET PassWord = 'y' WHERE 0", error), 0);
                                    return error.description;
                                  },
                                  "没有记录被修改", "velmora-host: ExecSQL failed: the statement changed no row"},
                      FailureCase{"OpensqlOfNoTable",
                                  [](Services& s) {
                                    try {
                                      rtl::Invoke(s.dataCtl, TarnCore::DataCtl::Opensql,
                                                  {rtl::Variant("SELECT x FROM nowhere")});
                                    } catch (const rtl::EOleException& e) {
                                      return e.UserMessage();
                                    }
                                    return rtl::AnsiString("(no EOleException)");
                                  },
                                  "数据库访问出错，操作未完成。", "velmora-host: Opensql failed: database error: "}),
    CaseName());

// ---- the password encoding ---------------------------------------------------

TEST(HostPasswordEncoding, IsUpperCaseSha256HexOfTheGbkBytes) {
  EXPECT_EQ(host::EncodeHostPassword(""), "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855");
  EXPECT_EQ(host::EncodeHostPassword("abc"), "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
  // The GBK bytes C3 DC C2 EB; the UTF-8 bytes would give A621AB60...
  EXPECT_EQ(host::EncodeHostPassword("密码"), "B236E47C1D5EDB97C7469E71CDDED8BE1A2C0C6C78F64C1DA9306DB51DA3C17C");
}

}  // namespace
}  // namespace velmora::test
