// The demo database the host uses when it is given none: an SQLite file in
// the current folder, made with the host's tables and two demo users on
// first use. Both users have the password "demo".
#pragma once

#include <memory>
#include <string>

#include "host/db/SqliteConnection.h"

namespace host {

inline constexpr const char* kDemoDatabase = "velmora-demo.db";
inline constexpr const char* kDemoUser = "demo";        // the context edition's: host-encoded password
inline constexpr const char* kDemoMd5User = "md5demo";  // the automation edition's: MD5 digest
inline constexpr const char* kDemoPassword = "demo";

// Opens the demo database at path, making it first where it is missing and
// adding the demo users and their rights where P_User is empty.
std::unique_ptr<SqliteConnection> OpenDemoDatabase(const std::string& path);

}  // namespace host
