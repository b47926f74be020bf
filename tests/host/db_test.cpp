// The host's tables in a database it was given: checked, reading only, for
// the tables and columns the host uses, the first one missing named.
#include <gtest/gtest.h>

#include "host/db/HostTables.h"
#include "host/db/SqliteConnection.h"
#include "tests/support/Expectations.h"
#include "tests/support/TempDatabase.h"

namespace velmora::test {
namespace {

struct TablesCase {
  std::string name;
  const char* schema;
  bool withRights;    // the context edition's check
  const char* error;  // the DatabaseError's text after the database's description; nullptr when accepted
};
void PrintTo(const TablesCase& c, std::ostream* os) { *os << c.name; }

class HostTables : public ::testing::TestWithParam<TablesCase> {};

TEST_P(HostTables, CheckNamesTheFirstTableOrColumnMissing) {
  const TablesCase& c = GetParam();
  const TempFolder folder;
  host::SqliteConnection db(folder.Path() + "/given.db", true);
  db.ExecuteScript(c.schema);
  if (c.error == nullptr) {
    EXPECT_NO_THROW(host::CheckHostTables(db, c.withRights));
    return;
  }
  try {
    host::CheckHostTables(db, c.withRights);
    ADD_FAILURE() << "expected a DatabaseError";
  } catch (const host::DatabaseError& e) {
    std::string expected = c.error;
    expected.replace(expected.find("DB"), 2, db.Describe());
    EXPECT_EQ(std::string(e.what()), expected);
  }
}

constexpr const char* kUsers = "CREATE TABLE P_User (UserCode TEXT, UserName TEXT, PassWord TEXT);";

INSTANTIATE_TEST_SUITE_P(
    Schemas, HostTables,
    ::testing::Values(TablesCase{"NoUsers", "CREATE TABLE Orders (Id INTEGER);", false, "DB has no table P_User"},
                      TablesCase{"UsersWithoutPassWord",
                                 "CREATE TABLE P_User (UserCode TEXT, UserName TEXT, Pwd TEXT);", false,
                                 "table P_User of DB has no column PassWord"},
                      TablesCase{"UsersWithoutRights", kUsers, true, "DB has no table P_FunRight"},
                      TablesCase{"RightsWithoutModFunID",
                                 "CREATE TABLE P_User (UserCode TEXT, UserName TEXT, PassWord TEXT);"
                                 "CREATE TABLE P_FunRight (UserCode TEXT, ModFunTyp INTEGER);",
                                 true, "table P_FunRight of DB has no column ModFunID"},
                      TablesCase{"UsersAloneWithoutTheRightsCheck", kUsers, false, nullptr},
                      TablesCase{"NamesInAnyLetterCase",
                                 "CREATE TABLE p_user (usercode TEXT, USERNAME TEXT, password TEXT);"
                                 "CREATE TABLE P_FUNRIGHT (UserCode TEXT, modfuntyp INTEGER, ModFunId INTEGER);",
                                 true, nullptr}),
    CaseName());

}  // namespace
}  // namespace velmora::test
