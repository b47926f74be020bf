// Late-bound automation: an object answers calls by member name, split as
// name-to-id and then invoke-by-id, each reporting a result code. Arguments
// travel as variants in call order; a by-reference argument is a variant
// that refers to the caller's variant.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/boundary/SafeCall.h"
#include "runtime/except/HResult.h"
#include "runtime/text/Text.h"
#include "runtime/variant/ComPtr.h"

namespace rtl {

class Variant;
using DispId = std::int32_t;

enum class DispatchKind : std::uint16_t { Method = 1, PropertyGet = 2 };

class IDispatch : public IUnknown {
 public:
  // DISP_E_UNKNOWNNAME when the object has no member of that name.
  virtual HResult GetIDsOfNames(const WideString& name, DispId* id) noexcept = 0;
  // DISP_E_MEMBERNOTFOUND for an unknown id, DISP_E_BADPARAMCOUNT for a wrong
  // argument count, DISP_E_TYPEMISMATCH (with *argErr set to the argument's
  // index) for an argument of the wrong type, DISP_E_EXCEPTION with error
  // filled when the member itself failed.
  virtual HResult Invoke(DispId id, DispatchKind kind, std::span<Variant> args, Variant* result, ErrorInfo* error,
                         std::uint32_t* argErr) noexcept = 0;

 protected:
  ~IDispatch() = default;
};

using DispatchPtr = ComPtr<IDispatch>;

}  // namespace rtl
