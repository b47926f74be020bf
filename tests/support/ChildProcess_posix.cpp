#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "tests/support/ChildProcess.h"

namespace velmora::test {

int RunProgram(const std::vector<std::string>& args, const std::string& cwd, const std::string& outPath,
               const std::string& errPath) {
  std::vector<std::string> argv = args;
  std::vector<char*> raw;
  raw.reserve(argv.size() + 1);
  for (std::string& a : argv) raw.push_back(a.data());
  raw.push_back(nullptr);

  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("cannot start " + args.at(0));
  if (child == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    execv(raw[0], raw.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("cannot wait for " + args.at(0));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace velmora::test
