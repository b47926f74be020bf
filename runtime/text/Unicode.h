// Conversions between UTF-16 and UTF-8; strict: an unpaired surrogate or a
// malformed UTF-8 sequence raises EConvertError.
#pragma once

#include <string>
#include <string_view>

#include "runtime/text/Text.h"

namespace rtl {

std::string WideToUtf8(std::u16string_view wide);
WideString Utf8ToWide(std::string_view utf8);

}  // namespace rtl
