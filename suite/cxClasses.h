// Replacing the suite's resource strings. From cxSetResourceString on, the
// suite uses the given text wherever it would have used the string's own;
// it keeps a copy of the text, so a replacement outlives the library that
// set it. Strings are known by their module's file and their id, so a
// library loaded again finds its replacements again.
#pragma once

#include "runtime/module/ResString.h"

namespace suite {

void cxSetResourceString(const rtl::TResStringRec* rec, const rtl::AnsiString& text);

// The text the suite uses for the string: its replacement, or its default.
rtl::AnsiString cxGetResourceString(const rtl::TResStringRec* rec);

// Whether the string has a replacement.
bool cxHasResourceString(const rtl::TResStringRec* rec);

}  // namespace suite
