#include "tests/support/TempDatabase.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "host/services/PasswordEncoding.h"

namespace velmora::test {

// A new folder of a random name, readable by its owner only; a name that is
// taken is never reused, as creating the folder fails for it.
TempFolder::TempFolder() {
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[40];
    std::snprintf(name, sizeof name, "velmora-test-%08x%08x", random(), random());
    std::error_code ec;
    if (std::filesystem::create_directory(base / name, ec)) {
      std::filesystem::permissions(base / name, std::filesystem::perms::owner_all, ec);
      path_ = (base / name).string();
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

TempDatabase::TempDatabase() : path_(folder_.Path() + "/host.db") {
  db_ = std::make_unique<host::SqliteConnection>(path_, true);
  // No test checks durability: the test's connection never waits for the disk.
  db_->ExecuteScript("PRAGMA synchronous = OFF");
  host::CreateHostTables(*db_);
  sql_ = std::make_unique<host::ModuleSql>(*db_);
}

void TempDatabase::AddUser(const std::string& code, const std::optional<std::string>& stored) {
  if (stored) {
    db_->Execute("INSERT INTO P_User (UserCode, UserName, PassWord) VALUES (?, ?, ?)", {code, code, *stored});
  } else {
    db_->Execute("INSERT INTO P_User (UserCode, UserName, PassWord) VALUES (?, ?, NULL)", {code, code});
  }
}

void TempDatabase::AddUserWithPassword(const std::string& code, const std::string& gbkPassword) {
  AddUser(code, host::EncodeHostPassword(gbkPassword));
}

std::optional<std::string> TempDatabase::StoredPassword(const std::string& code) {
  const auto rows = db_->Query("SELECT PassWord FROM P_User WHERE UserCode = ?", {code});
  if (rows.empty()) throw std::runtime_error("no user '" + code + "'");
  return rows[0][0];
}

host::UserRecord TempDatabase::User(const std::string& code) {
  const auto user = host::FindUser(*db_, code);
  if (!user) throw std::runtime_error("no user '" + code + "'");
  return *user;
}

}  // namespace velmora::test
