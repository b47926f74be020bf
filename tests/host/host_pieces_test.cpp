// The host's pieces in-process: one statement per text, the write service's
// one-row rule, the host's password encoding and the terminal front end's
// refusal to start without a terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <stdexcept>

#include "host/Encoding.h"
#include "host/HostSql.h"
#include "host/TerminalFrontEnd.h"
#include "runtime/except/Exceptions.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/Expectations.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

class HostDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.AddUser("a", std::string("x"));
    db_.AddUser("b", std::string("x"));
  }

  // Both passwords as another connection sees them.
  std::vector<std::string> Committed() {
    const auto other = db_.OpenConnection();
    std::vector<std::string> values;
    for (const auto& row : other->Query("SELECT PassWord FROM P_User ORDER BY UserCode")) {
      values.push_back(row[0].value_or("NULL"));
    }
    return values;
  }

  // True when another connection can write, i.e. no transaction was left open.
  bool Unlocked() {
    const auto other = db_.OpenConnection();
    try {
      other->Execute("UPDATE P_User SET UserName = UserName WHERE UserCode = 'a'");
      return true;
    } catch (const host::DatabaseError&) {
      return false;
    }
  }

  TempDatabase db_;
  host::SessionLog log_;
};

TEST_F(HostDatabase, RefusesASecondStatementInOneText) {
  for (const char* sql : {"SELECT 1; SELECT 2", "UPDATE P_User SET PassWord = 'y'; DELETE FROM P_User"}) {
    SCOPED_TRACE(sql);
    try {
      db_.Db().Execute(sql);
      ADD_FAILURE() << "expected the text refused, got it run";
    } catch (const host::DatabaseError& e) {
      EXPECT_NE(std::string(e.what()).find("more than one statement"), std::string::npos)
          << "expected \"more than one statement\", got \"" << e.what() << "\"";
    }
  }
  const std::vector<std::string> untouched{"x", "x"};
  EXPECT_EQ(Committed(), untouched) << "expected both rows untouched";
  EXPECT_EQ(db_.Db().Query("SELECT 1 ;  \n").size(), 1u) << "expected a trailing semicolon and blanks accepted";
}

TEST_F(HostDatabase, ExecuteWideCommitsAStatementThatChangedExactlyOneRow) {
  host::ExecuteWide(db_.Db(), u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'a'", log_);
  const std::vector<std::string> expected{"y", "x"};
  EXPECT_EQ(Committed(), expected) << "expected a's password committed";
  EXPECT_EQ(log_.passwordWrites, 1) << "expected 1 write counted, got " << log_.passwordWrites;
  EXPECT_TRUE(Unlocked()) << "expected no transaction left open";
}

struct RefusedWrite {
  const char* name;
  rtl::WideString sql;
};
void PrintTo(const RefusedWrite& c, std::ostream* os) { *os << c.name; }

class ExecuteWideRefusal : public HostDatabase, public ::testing::WithParamInterface<RefusedWrite> {};

TEST_P(ExecuteWideRefusal, RaisesKeepsNothingAndLeavesNoTransaction) {
  EXPECT_THROW(host::ExecuteWide(db_.Db(), GetParam().sql, log_), rtl::Exception);
  const std::vector<std::string> untouched{"x", "x"};
  EXPECT_EQ(Committed(), untouched) << "expected both rows untouched";
  EXPECT_EQ(log_.passwordWrites, 0) << "expected no write counted, got " << log_.passwordWrites;
  EXPECT_TRUE(Unlocked()) << "expected no transaction left open";
}

INSTANTIATE_TEST_SUITE_P(
    Statements, ExecuteWideRefusal,
    ::testing::Values(RefusedWrite{"NoRowChanged", u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'none'"},
                      RefusedWrite{"TwoRowsChangedAreRolledBack", u"UPDATE P_User SET PassWord = 'y'"},
                      RefusedWrite{"TwoStatements",
                                   u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'a'; "
                                   u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'b'"},
                      RefusedWrite{"SyntaxError", u"UPDATE P_User SET WHERE"}),
    CaseName());

TEST(HostPasswordEncoding, IsUpperCaseSha256HexOfTheGbkBytes) {
  struct Case {
    const char* gbk;
    const char* expected;
  };
  const Case cases[] = {
      {"", "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
      {"abc", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      // The GBK bytes C3 DC C2 EB; the UTF-8 bytes would give A621AB60...
      {"密码", "B236E47C1D5EDB97C7469E71CDDED8BE1A2C0C6C78F64C1DA9306DB51DA3C17C"},
  };
  for (const Case& c : cases) {
    const std::string encoded = host::EncodeHostPassword(c.gbk);
    EXPECT_EQ(encoded, c.expected) << "expected " << c.expected << " for " << Readable(c.gbk) << ", got " << encoded;
  }
}

TEST(HostTerminalFrontEnd, RefusesToStartWhenStandardInputIsNotATerminal) {
  const int saved = dup(STDIN_FILENO);
  const int devNull = open("/dev/null", O_RDONLY);
  ASSERT_GE(saved, 0);
  ASSERT_GE(devNull, 0);
  ASSERT_EQ(dup2(devNull, STDIN_FILENO), STDIN_FILENO);
  host::SessionLog log;
  try {
    host::TerminalFrontEnd frontEnd(log);
    ADD_FAILURE() << "expected a refusal, got a front end";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("terminal"), std::string::npos)
        << "expected a message about the terminal, got \"" << e.what() << "\"";
  }
  dup2(saved, STDIN_FILENO);
  close(saved);
  close(devNull);
}

}  // namespace
}  // namespace velmora::test
