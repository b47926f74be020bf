#include "tests/support/TempDatabase.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "host/Encoding.h"

namespace velmora::test {

TempDatabase::TempDatabase() {
  std::string pattern = (std::filesystem::temp_directory_path() / "velmora-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary directory");
  dir_ = pattern;
  path_ = dir_ + "/host.db";
  try {
    db_ = std::make_unique<host::Database>(path_, true);
    host::EnsureSchema(*db_);
  } catch (...) {
    db_.reset();
    std::filesystem::remove_all(dir_);
    throw;
  }
}

TempDatabase::~TempDatabase() {
  db_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::unique_ptr<host::Database> TempDatabase::OpenConnection() const {
  return std::make_unique<host::Database>(path_, false);
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

void TempDatabase::AddRight(const std::string& code, int modFunTyp, int modFunId) {
  db_->Execute("INSERT INTO P_FunRight (UserCode, ModFunTyp, ModFunID) VALUES (?, ?, ?)",
               {code, std::to_string(modFunTyp), std::to_string(modFunId)});
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
