// Where the build put the editions' libraries (compile definitions set by
// the harness's CMake target).
#pragma once

namespace velmora::test {

inline constexpr const char* kContextLibrary = VELMORA_CONTEXT_LIBRARY;
inline constexpr const char* kAutomationLibrary = VELMORA_AUTOMATION_LIBRARY;

}  // namespace velmora::test
