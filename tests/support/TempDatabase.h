// A fresh temporary folder, and a host database in one with the host's
// schema; both are removed again with the object. Codes, names and stored
// passwords are UTF-8 text as the host stores them.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "host/db/HostTables.h"
#include "host/db/SqliteConnection.h"
#include "host/services/ModuleSql.h"

namespace velmora::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const noexcept { return path_; }

 private:
  std::string path_;
};

class TempDatabase {
 public:
  TempDatabase();

  host::SqliteConnection& Db() noexcept { return *db_; }
  // The host's SQL service over this database, as the module reaches it.
  host::ModuleSql& Sql() noexcept { return *sql_; }
  const std::string& Path() const noexcept { return path_; }
  // Another connection to the same file, e.g. to hold a lock.
  std::unique_ptr<host::SqliteConnection> OpenConnection() const {
    return std::make_unique<host::SqliteConnection>(path_, false);
  }

  // Adds a user whose PassWord column holds exactly stored (NULL when absent).
  void AddUser(const std::string& code, const std::optional<std::string>& stored);
  // Adds a user whose stored password is the host's encoding of gbkPassword.
  void AddUserWithPassword(const std::string& code, const std::string& gbkPassword);

  // The user's PassWord column: nullopt for NULL; raises when there is no such user.
  std::optional<std::string> StoredPassword(const std::string& code);
  host::UserRecord User(const std::string& code);

 private:
  TempFolder folder_;
  std::string path_;
  std::unique_ptr<host::SqliteConnection> db_;
  std::unique_ptr<host::ModuleSql> sql_;
};

}  // namespace velmora::test
