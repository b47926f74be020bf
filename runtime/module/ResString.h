// Resource strings: a string identified by a record naming the module that
// holds its text (through the module's instance-handle variable) and its
// 32-bit id in that module's string table. The default text is loaded from
// the module's string-table resource: block n holds the ids 16(n-1) to
// 16(n-1)+15 as sixteen length-counted UTF-16 strings.
#pragma once

#include <cstdint>

#include "runtime/module/Module.h"
#include "runtime/text/Text.h"

namespace rtl {

struct TResStringRec {
  const HINST* Module;
  std::uint32_t Identifier;
};

// The default text of the string, as GBK; raises EResNotFound when the
// module has no such string.
AnsiString LoadResString(const TResStringRec* rec);

}  // namespace rtl
