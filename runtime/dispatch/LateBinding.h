// Client side of late binding: calls of an automation object's methods by
// member name. The name is resolved to an id first, 8-bit text arguments
// travel as automation strings, and a failing result code becomes an
// exception on the caller's side: EOleSysError "Method '…' not supported by
// automation object" for an unknown name, EOleSysError for a wrong argument
// count or type, EOleException with the server's message when the member
// itself failed, EVariantError when the variant holds no object.
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>

#include "runtime/variant/Variant.h"

namespace rtl {

// Calls the method member of the automation object that object holds.
Variant Invoke(const Variant& object, std::string_view member, std::span<Variant> args);
Variant Invoke(const Variant& object, std::string_view member, std::initializer_list<Variant> args = {});

// A by-reference text argument: the server receives a reference to an
// automation string holding the text, and the text it leaves there is
// copied back into the caller's variable. Anything else it leaves, or text
// that GBK cannot hold, leaves the variable as it was and never fails a call
// that succeeded.
class TextRef {
 public:
  explicit TextRef(AnsiString& text) : text_(&text) {}
  AnsiString& Text() const noexcept { return *text_; }

 private:
  AnsiString* text_;
};

// Calls with by-reference text arguments.
Variant InvokeWithRefs(const Variant& object, std::string_view member, std::initializer_list<TextRef> refs);

}  // namespace rtl
