// The strict conversions between GBK (code page 936) and UTF-16: the
// platform's own converter on Windows, the generated table elsewhere. Both
// accept exactly the same texts: a byte sequence that is not a mapped
// character, a code in the user-defined areas (whose private-use characters
// mean nothing outside one machine), or a code unit without a GBK code is
// refused, never replaced.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "runtime/text/Text.h"

namespace rtl::cp936 {

// Appends the converted text to out; on failure returns the position of
// the first byte (Decode) or code unit (Encode) that cannot be converted.
std::optional<std::size_t> Decode(std::string_view gbk, WideString& out);
std::optional<std::size_t> Encode(std::u16string_view wide, AnsiString& out);

}  // namespace rtl::cp936
