// Runs a program as a child process, as a user would from a shell.
#pragma once

#include <string>
#include <vector>

namespace velmora::test {

// Runs argv[0] with the arguments in folder cwd (the test's own when empty):
// standard input empty and never a terminal, standard output and error
// written to the two files. Returns the exit status, or -1 when the program
// did not exit normally. Raises std::runtime_error when it cannot start.
int RunProgram(const std::vector<std::string>& args, const std::string& cwd, const std::string& outPath,
               const std::string& errPath);

// What a child wrote to a file, its lines ended by "\n" (a Windows
// program's text output ends them with "\r\n").
std::string ReadOutput(const std::string& path);

#ifdef _WIN32
// The command line of args (UTF-8), each quoted so that the child's
// CommandLineToArgvW gives back exactly the arguments.
std::wstring CommandLine(const std::vector<std::string>& args);
#endif

}  // namespace velmora::test
