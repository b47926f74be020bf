// UTF-8 and the platform's UTF-16 for paths and messages on Windows.
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
