// Runs the built velmora-host program as a child process: standard input
// from /dev/null (never a terminal), standard output and error captured, in
// a working folder of the test's choosing.
#pragma once

#include <string>
#include <vector>

namespace velmora::test {

inline constexpr const char* kHostProgram = VELMORA_HOST_PROGRAM;
inline constexpr const char* kPartialLibrary = VELMORA_PARTIAL_LIBRARY;

struct HostResult {
  int status = -1;  // the exit status; -1 when the program did not exit normally
  std::string out;  // standard output (UTF-8)
  std::string err;  // standard error
};

// Runs kHostProgram with args in folder cwd (the test's own when empty).
HostResult RunHost(const std::vector<std::string>& args, const std::string& cwd = {});

// A fresh temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& Path() const noexcept { return path_; }

 private:
  std::string path_;
};

// UTF-8 text from a u8 literal, for comparing with the program's output
// (narrow literals are GBK).
inline std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

}  // namespace velmora::test
