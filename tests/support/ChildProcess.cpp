#include "tests/support/ChildProcess.h"

#include <fstream>
#include <sstream>

namespace velmora::test {

std::string ReadOutput(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  std::string lines = text.str();
  for (std::size_t at = lines.find("\r\n"); at != std::string::npos; at = lines.find("\r\n", at)) lines.erase(at, 1);
  return lines;
}

}  // namespace velmora::test
