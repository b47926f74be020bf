// The whole content of a host database, schema included, read through a
// connection of its own: each table's columns and rows, the rows sorted so
// that two states compare whatever the order on disk.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "host/Database.h"

namespace velmora::test {

struct DatabaseState {
  std::map<std::string, host::Table> tables;  // by name; "sqlite_master" is the schema
};

DatabaseState ReadState(const std::string& path);

// state with the PassWord of the P_User row of code replaced by stored (UTF-8).
DatabaseState WithPassword(DatabaseState state, const std::string& code, const std::string& stored);

// Success when both states hold the same tables, columns and rows; else
// names the first difference.
::testing::AssertionResult SameState(const DatabaseState& expected, const DatabaseState& got);

}  // namespace velmora::test
