// States of the host's database that a write may meet, imposed on a
// temporary database and lifted again, leaving its content as it was; and
// the whole content of a database, to compare before and after.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/TempDatabase.h"

namespace velmora::test {

enum class DbCondition {
  None,
  LockedExclusive,   // another connection holds an exclusive lock: no reading, no writing
  LockedForWriting,  // another connection holds the write lock: reading only
  ReaderHoldsLock,   // another connection is in the middle of reading: a write cannot be committed
  ReadOnly,          // the host's connection may only read
  FullMustGrow,      // no page left, and the write brings an audit record along
  FullInPlace,       // no page left, but the rewritten row needs none
  UserTableGone,     // P_User dropped (its rows kept aside)
  UserRowGone,       // the user's P_User row deleted
};

const char* NameOf(DbCondition condition);

class DatabaseConditions {
 public:
  // The host reaches db through db.Db(); user is the signed-in user's code.
  DatabaseConditions(TempDatabase& db, std::string user) : db_(db), user_(std::move(user)) {}
  void Impose(DbCondition condition);
  void Lift();

 private:
  TempDatabase& db_;
  std::string user_;
  DbCondition imposed_ = DbCondition::None;
  std::unique_ptr<host::SqliteConnection> other_;
  host::Row userRow_;
  std::string userTable_;  // how P_User was made
};

// The whole content of a host database, schema included, read through a
// connection of its own: a line per row ("table: column='value' ..."), sorted.
using DatabaseState = std::vector<std::string>;
DatabaseState ReadState(const std::string& path);

// state with the PassWord of the P_User row of code replaced by stored (UTF-8).
DatabaseState WithPassword(DatabaseState state, const std::string& code, const std::string& stored);

// Success when both states hold the same rows; else names the first difference.
::testing::AssertionResult SameState(const DatabaseState& expected, const DatabaseState& got);

}  // namespace velmora::test
