// The host program's command line: its commands and options, and the
// usage text that lists them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/StringsReport.h"
#include "host/loader/Edition.h"

namespace host {

extern const char* const kUsage;

struct Options {
  enum class Command { Run, Info, Strings } command = Command::Run;
  std::string library;
  std::string db;
  std::string odbc;  // a connection string, instead of db
  std::string user;
  std::optional<Edition> edition;
  std::optional<std::string> script;
  std::vector<std::string> commands;  // --do
  bool traceSql = false;
  StringsQuery strings;
};

// The options of a command line (UTF-8 arguments, the program's name
// first); nullopt for a command line the usage does not allow.
std::optional<Options> ParseCommandLine(const std::vector<std::string>& arguments);

// The script's commands, one per line ("-" reads standard input). Raises
// std::runtime_error when the file cannot be read.
std::vector<std::string> ReadScript(const std::string& source);

}  // namespace host
