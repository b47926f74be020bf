// --trace-sql's lines in-process, for what a module could send that the
// editions never do: control characters in a statement or in its error, and
// an error of the database quoting a Chinese name.
#include <gtest/gtest.h>

#include <sstream>

#include "host/SqlTrace.h"
#include "runtime/except/Exceptions.h"
#include "tests/support/Expectations.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

TEST(SqlTrace, MasksControlCharactersInTheStatement) {
  std::ostringstream out;
  host::SqlTrace(out).Queried("OpenSQL", u"SELECT '\x1b]0;x\a' FROM P_User\r\nWHERE 0\x7f", 0);
  EXPECT_EQ(out.str(), Utf8(u8"velmora-host: sql: OpenSQL SELECT '\uFFFD]0;x\uFFFD' FROM P_User\uFFFD\uFFFDWHERE "
                            u8"0\uFFFD -> 0 rows\n"));
}

TEST(SqlTrace, MasksControlCharactersInTheError) {
  std::ostringstream out;
  host::SqlTrace(out).Failed("Execsql", u"UPDATE \u7528\u6237 SET x = 1", "near \"\x1b[2J\": syntax error");
  EXPECT_EQ(out.str(), Utf8(u8"velmora-host: sql: Execsql UPDATE 用户 SET x = 1 -> error: near \"\uFFFD[2J\": "
                            u8"syntax error\n"));
}

TEST(SqlTrace, ShowsTheDatabasesErrorInUtf8) {
  TempDatabase db;
  std::ostringstream out;
  host::SqlTrace trace(out);
  host::ModuleSql sql(db.Db(), &trace);
  EXPECT_THROW(sql.Query("OpenSQL", u"SELECT x FROM \u7528\u6237"), rtl::EDatabaseError);
  EXPECT_EQ(out.str(), Utf8(u8"velmora-host: sql: OpenSQL SELECT x FROM 用户 -> error: database error: cannot prepare "
                            u8"statement: no such table: 用户\n"));
}

}  // namespace
}  // namespace velmora::test
