// The host database in an SQLite file, the reference host's embedded back
// end. Texts are stored as UTF-8.
#pragma once

#include <string>

#include "host/db/Connection.h"

struct sqlite3;

namespace host {

class SqliteConnection final : public Connection {
 public:
  // Opens (creating when asked) the database file; raises DatabaseError.
  SqliteConnection(const std::string& path, bool create);
  ~SqliteConnection() override;

  const std::string& Path() const noexcept { return path_; }
  std::string Describe() const override { return "database '" + path_ + "'"; }
  using Connection::Select;
  Table Select(const std::string& sql, const Params& params) override;
  using Connection::Execute;
  int Execute(const std::string& sql, const Params& params) override;
  std::vector<std::string> ColumnsOf(const std::string& table) override;
  // Runs several statements (schema scripts, settings).
  void ExecuteScript(const std::string& sql);

  void Begin() override;
  void Commit() override;
  void Rollback() noexcept override;

 private:
  std::string path_;
  sqlite3* db_ = nullptr;
};

}  // namespace host
