#include <filesystem>

#include "host/Program.h"

namespace host::platform {

// <prefix>/lib/velmora/<edition> in an installed tree, <build>/<edition> in the build tree.
std::string EditionLibraryBeside(const char* argv0, const char* edition) {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) self = argv0;
  const std::filesystem::path top = self.parent_path().parent_path();
  const std::filesystem::path installed = top / "lib" / "velmora" / edition / "Velmora.so";
  const std::filesystem::path built = top / edition / "Velmora.so";
  return (std::filesystem::exists(installed, ec) || !std::filesystem::exists(built, ec) ? installed : built).string();
}

std::vector<std::string> Arguments(int argc, char** argv) { return {argv, argv + argc}; }

void PrepareConsole() {}

}  // namespace host::platform
