// The package deployed as docs/deployment.md says, into a host that loads
// plug-ins as other hosts do, from a current folder that holds a planted
// DLL of every name the editions need: none of them is ever loaded, nor the
// foreign runtime DLLs in the host's folder, and the dialog changes the
// password.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/Expectations.h"
#include "tests/support/TempDatabase.h"

namespace {

namespace fs = std::filesystem;

// What the host's folder already has: the compiler's runtime of another build, under the usual names.
const std::vector<std::string> kForeignRuntime = {"libstdc++-6.dll", "libgcc_s_seh-1.dll", "libgcc_s_dw2-1.dll",
                                                  "libwinpthread-1.dll"};
// Every name an edition, or a DLL it imports, asks the loader for.
const std::vector<std::string> kDependencies = {"libvelmora_rtl.dll", "libvelmora_suite.dll", "velmora_cxx.dll",
                                                "velmora_unwind.dll", "velmora_threads.dll"};

struct DeployCase {
  std::string name;
  std::string edition;
  std::string mode;  // how the host loads the library
  friend void PrintTo(const DeployCase& c, std::ostream* out) { *out << c.name; }
};

class Deployment : public ::testing::TestWithParam<DeployCase> {
 protected:
  void SetUp() override {
    const fs::path root = temp_.Path();
    hostFolder_ = root / "host";
    current_ = root / "current";
    library_ = root / "plug-ins" / GetParam().edition / "Velmora.dll";
    fs::create_directories(hostFolder_);
    fs::create_directories(current_);
    fs::create_directories(library_.parent_path());
    for (const std::string& name : kForeignRuntime) fs::copy_file(VELMORA_PLANTED_LIBRARY, hostFolder_ / name);
    // The deployment: the package's top folder beside the host program, the edition's folder anywhere.
    for (const auto& entry : fs::directory_iterator(VELMORA_PACKAGE_DIR)) {
      if (entry.is_regular_file()) fs::copy_file(entry.path(), hostFolder_ / entry.path().filename());
    }
    fs::copy_file(fs::path(VELMORA_PACKAGE_DIR) / GetParam().edition / "Velmora.dll", library_);
    fs::copy_file(VELMORA_DEPLOY_HOST, hostFolder_ / "host.exe");
    for (const std::vector<std::string>* names : {&kForeignRuntime, &kDependencies}) {
      for (const std::string& name : *names) fs::copy_file(VELMORA_PLANTED_LIBRARY, current_ / name);
    }
  }

  // Runs the host in the current folder; its standard output.
  std::string RunHost(int& status) const {
    const fs::path out = fs::path(temp_.Path()) / "out.txt", err = fs::path(temp_.Path()) / "err.txt";
    status = velmora::test::RunProgram({(hostFolder_ / "host.exe").string(), GetParam().mode, library_.string(),
                                        (fs::path(temp_.Path()) / "host.db").string()},
                                       current_.string(), out.string(), err.string());
    std::stringstream text;
    text << std::ifstream(out).rdbuf() << std::ifstream(err).rdbuf();
    return text.str();
  }

  // The planted DLLs the loader took: each left a mark beside itself.
  std::vector<std::string> Marks() const {
    std::vector<std::string> marks;
    for (const fs::path& folder : {hostFolder_, current_}) {
      for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".loaded") marks.push_back(entry.path().filename().string());
      }
    }
    return marks;
  }

  velmora::test::TempFolder temp_;
  fs::path hostFolder_, current_, library_;
};

TEST_P(Deployment, ChangesThePasswordWithTheDeployedFiles) {
  int status = -1;
  const std::string output = RunHost(status);
  EXPECT_EQ(status, 0) << output;
}

TEST_P(Deployment, LoadsNoPlantedOrForeignLibrary) {
  int status = -1;
  const std::string output = RunHost(status);
  EXPECT_EQ(Marks(), std::vector<std::string>()) << output;
  // Every module not Windows' own comes from the host's folder or is the edition.
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("module ", 0) != 0) continue;
    const fs::path module = line.substr(7);
    const bool expected = fs::equivalent(module.parent_path(), hostFolder_) || fs::equivalent(module, library_);
    EXPECT_TRUE(expected) << line;
  }
  EXPECT_NE(output.find("module "), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(Editions, Deployment,
                         ::testing::Values(DeployCase{"ContextPlainLoadLibrary", "context", "plain"},
                                           DeployCase{"ContextSafeSearchFlags", "context", "safe"},
                                           DeployCase{"AutomationPlainLoadLibrary", "automation", "plain"},
                                           DeployCase{"AutomationSafeSearchFlags", "automation", "safe"}),
                         velmora::test::CaseName());

}  // namespace
