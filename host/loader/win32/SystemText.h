// Text the Windows platform parts of the host need: UTF-8 paths and messages
// as the platform's UTF-16, and the text of a system error code.
#pragma once

#include <string>
#include <string_view>

namespace host::platform {

// Strict: raises std::runtime_error for malformed UTF-8.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
// The text of a system error code, without its trailing line break.
std::string SystemMessage(unsigned long code);

}  // namespace host::platform
