// The strict conversions between GBK (code page 936) and UTF-16: the
// platform's own converter on Windows, the generated table elsewhere. Both
// accept exactly the same texts: a byte sequence that is not a mapped
// character, or a code unit without a GBK code, is refused, never replaced.
// The user-defined areas (AAA1-AFFE, F8A1-FEFE, A140-A7A0) map one-to-one to
// the private-use characters U+E000-U+E765 in code order, as the code page
// maps them, so a user's own characters can be used; no other private-use
// character has a code, although the Windows code page gives some to GBK's
// unassigned codes (A2AB, D7FA, FE50 and the like) and to U+F8F5.
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
