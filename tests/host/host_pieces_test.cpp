// The host's pieces in-process: the write service's one-row rule, what the
// host's services tell the module and standard error when they fail, the
// host's password encoding and how it tells the editions apart.
#include <gtest/gtest.h>

#include <functional>

#include "contract/VelmoraContract.h"
#include "host/loader/Edition.h"
#include "host/loader/LibraryResources.h"
#include "host/loader/LoadedModule.h"
#include "host/services/AutomationServers.h"
#include "host/services/ContextHost.h"
#include "host/services/ModuleSql.h"
#include "host/services/PasswordEncoding.h"
#include "runtime/dispatch/ComServers.h"
#include "runtime/dispatch/LateBinding.h"
#include "runtime/except/Exceptions.h"
#include "tests/support/ApplicationScreen.h"
#include "tests/support/Expectations.h"
#include "tests/support/LibraryPaths.h"
#include "tests/support/ResourceBlob.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

TEST(ExecuteWide, CommitsOnlyAStatementThatChangedExactlyOneRowAndLeavesNoTransaction) {
  const std::pair<rtl::WideString, bool> cases[] = {
      // the statement, and whether it is committed (else refused, keeping nothing)
      {u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'a'", true},
      {u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'none'", false},
      {u"UPDATE P_User SET PassWord = 'y'", false},  // two rows: rolled back
      {u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'a'; "
       u"UPDATE P_User SET PassWord = 'y' WHERE UserCode = 'b'",
       false},
      {u"UPDATE P_User SET WHERE", false},
  };
  for (const auto& [sql, committed] : cases) {
    SCOPED_TRACE(Readable(sql));
    TempDatabase db;
    db.AddUser("a", std::string("x"));
    db.AddUser("b", std::string("x"));
    if (committed) {
      db.Sql().Execute("ExecSQL", sql);
    } else {
      EXPECT_THROW(db.Sql().Execute("ExecSQL", sql), rtl::Exception);
    }
    EXPECT_EQ(db.Sql().Writes(), committed ? 1 : 0);
    // As another connection sees them; writing there fails while a transaction is open.
    const auto other = db.OpenConnection();
    const auto rows = other->Query("SELECT PassWord FROM P_User ORDER BY UserCode");
    EXPECT_EQ(rows[0][0], committed ? "y" : "x");
    EXPECT_EQ(rows[1][0], "x");
    EXPECT_NO_THROW(other->Execute("UPDATE P_User SET UserName = UserName WHERE UserCode = 'a'"));
  }
}

// A failing service tells the module in Chinese, and standard error the detail.
TEST(ServiceFailure, TellsTheModuleInChineseAndStandardErrorTheDetail) {
  TempDatabase db;
  db.AddUser("a", std::string("x"));
  ApplicationScreen screen;
  host::ContextHost context(db.Sql(), db.User("a"), screen);
  const host::AutomationServers servers(db.Sql(), db.User("a"), screen);
  const rtl::Variant dataCtl = rtl::CreateOleObject(TarnCore::DataCtlProgID);
  rtl::Variant result;
  const struct {
    std::function<rtl::AnsiString()> call;  // fails; gives the description the module received
    rtl::AnsiString description;            // for the person (GBK)
    const char* detail;                     // on standard error
  } cases[] = {
      {[&] {
         rtl::ErrorInfo error;
         EXPECT_NE(context.OpenSQL(u"SELECT x FROM nowhere", result, error), 0);
         return error.description;
       },
       "数据库访问出错，操作未完成。", "velmora-host: OpenSQL failed: database error: "},
      {[&] {
         rtl::ErrorInfo error;
         EXPECT_NE(context.OpenSQL(u"SELECT PassWord FROM P_User WHERE 0", result, error), 0);
         return error.description;
       },
       "查询没有找到记录", "velmora-host: OpenSQL failed: the query found no row"},
      {[&] {
         rtl::ErrorInfo error;
         EXPECT_NE(context.ExecSQL(u"UPDATE P_User SET PassWord = 'y' WHERE 0", error), 0);
         return error.description;
       },
       "没有记录被修改", "velmora-host: ExecSQL failed: the statement changed no row"},
      {[&] {
         try {
           rtl::Invoke(dataCtl, TarnCore::DataCtl::Opensql, {rtl::Variant("SELECT x FROM nowhere")});
         } catch (const rtl::EOleException& e) {
           return e.UserMessage();
         }
         return rtl::AnsiString("(no EOleException)");
       },
       "数据库访问出错，操作未完成。", "velmora-host: Opensql failed: database error: "},
  };
  for (const auto& c : cases) {
    ::testing::internal::CaptureStderr();
    const rtl::AnsiString description = c.call();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(description, c.description) << ExpectedGot(c.description, description);
    EXPECT_NE(err.find(c.detail), std::string::npos) << "expected \"" << c.detail << "\", got " << err;
  }
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
    EXPECT_THROW(host::DetectEdition(rtl::ResourceDirectory(blob)), host::LoadError) << c.what;
  }
}

}  // namespace
}  // namespace velmora::test
