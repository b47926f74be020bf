// Variants between the runtime and the platform (see ComBridge_win32.h).
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "runtime/dispatch/win32/ComBridge.h"
#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace rtl::com {
namespace {

[[noreturn]] void RaiseUnsupported(VARTYPE type) {
  char text[64];
  std::snprintf(text, sizeof text, "Variant type %04X is not supported", static_cast<unsigned>(type));
  throw EVariantError(text);
}

SAFEARRAY* NewByteArray(const ByteArray& bytes) {
  if (bytes.size() > std::numeric_limits<ULONG>::max()) throw EVariantError("Byte array too large");
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (array == nullptr) throw std::bad_alloc();
  if (!bytes.empty()) {
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) {
      SafeArrayDestroy(array);
      throw EVariantError("Byte array not accessible");
    }
    std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(array);
  }
  return array;
}

ByteArray BytesOf(SAFEARRAY* array) {
  if (array == nullptr) return {};
  if (SafeArrayGetDim(array) != 1) throw EVariantError("Byte array of more than one dimension");
  LONG lower = 0;
  LONG upper = -1;
  if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper))) {
    throw EVariantError("Byte array without bounds");
  }
  if (upper < lower) return {};
  const std::size_t count = static_cast<std::size_t>(static_cast<LONGLONG>(upper) - lower + 1);
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(array, &data))) throw EVariantError("Byte array not accessible");
  const auto* first = static_cast<const std::uint8_t*>(data);
  ByteArray bytes(first, first + count);
  SafeArrayUnaccessData(array);
  return bytes;
}

Variant Whole(LONGLONG value) {
  if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max()) {
    return Variant(static_cast<std::int32_t>(value));
  }
  return Variant(static_cast<std::int64_t>(value));
}

}  // namespace

BSTR AllocBstr(const WideString& text) {
  if (text.size() > std::numeric_limits<UINT>::max() / 2) throw std::bad_alloc();
  BSTR result = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
  if (result == nullptr) throw std::bad_alloc();
  return result;
}

WideString BstrText(BSTR text) {
  if (text == nullptr) return {};
  return WideString(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

void ToVariant(const Variant& from, VARIANT& to) {
  const Variant& v = from.Target();
  switch (v.Type()) {
    case VarType::Empty: to.vt = VT_EMPTY; return;
    case VarType::Null: to.vt = VT_NULL; return;
    case VarType::Integer:
      to.lVal = v.AsInteger();
      to.vt = VT_I4;
      return;
    case VarType::Int64:
      to.llVal = v.AsInt64();
      to.vt = VT_I8;
      return;
    case VarType::Double:
      to.dblVal = v.AsDouble();
      to.vt = VT_R8;
      return;
    case VarType::Boolean:
      to.boolVal = v.AsBoolean() ? VARIANT_TRUE : VARIANT_FALSE;
      to.vt = VT_BOOL;
      return;
    case VarType::String:
    case VarType::OleStr:
      to.bstrVal = AllocBstr(v.AsWideString());
      to.vt = VT_BSTR;
      return;
    case VarType::Dispatch: {
      const DispatchPtr object = v.AsDispatch();
      ::IDispatch* platform = nullptr;
      if (::IDispatch* inner = PlatformObjectOf(object)) {
        inner->AddRef();
        platform = inner;
      } else if (object) {
        platform = NewServerDispatch(object);
      }
      to.pdispVal = platform;
      to.vt = VT_DISPATCH;
      return;
    }
    case VarType::Bytes:
      to.parray = NewByteArray(v.AsByteArray());
      to.vt = VT_ARRAY | VT_UI1;
      return;
    case VarType::ByRef: break;  // Target() never is one
  }
  throw EVariantError("Variant type not supported");
}

Variant FromVariant(const VARIANT& from) {
  const bool byRef = (from.vt & VT_BYREF) != 0;
  const VARTYPE type = static_cast<VARTYPE>(from.vt & ~VT_BYREF);
  if (byRef && from.byref == nullptr) throw EVariantError("Null reference in a variant");
  switch (type) {
    case VT_EMPTY: return {};
    case VT_NULL: return Variant::Null();
    case VT_I1: return Variant(std::int32_t{byRef ? *from.pcVal : from.cVal});
    case VT_UI1: return Variant(std::int32_t{byRef ? *from.pbVal : from.bVal});
    case VT_I2: return Variant(std::int32_t{byRef ? *from.piVal : from.iVal});
    case VT_UI2: return Variant(std::int32_t{byRef ? *from.puiVal : from.uiVal});
    case VT_I4: return Variant(static_cast<std::int32_t>(byRef ? *from.plVal : from.lVal));
    case VT_INT: return Variant(static_cast<std::int32_t>(byRef ? *from.pintVal : from.intVal));
    case VT_UI4: return Whole(byRef ? *from.pulVal : from.ulVal);
    case VT_UINT: return Whole(byRef ? *from.puintVal : from.uintVal);
    case VT_I8: return Variant(static_cast<std::int64_t>(byRef ? *from.pllVal : from.llVal));
    case VT_UI8: {
      const ULONGLONG value = byRef ? *from.pullVal : from.ullVal;
      if (value > static_cast<ULONGLONG>(std::numeric_limits<std::int64_t>::max())) RaiseUnsupported(from.vt);
      return Variant(static_cast<std::int64_t>(value));
    }
    case VT_R4: return Variant(static_cast<double>(byRef ? *from.pfltVal : from.fltVal));
    case VT_R8: return Variant(byRef ? *from.pdblVal : from.dblVal);
    case VT_BOOL: return Variant((byRef ? *from.pboolVal : from.boolVal) != VARIANT_FALSE);
    case VT_BSTR: return Variant(BstrText(byRef ? *from.pbstrVal : from.bstrVal));
    case VT_DISPATCH: {
      ::IDispatch* object = byRef ? *from.ppdispVal : from.pdispVal;
      return Variant(object != nullptr ? DispatchClientOf(object) : DispatchPtr());
    }
    case VT_VARIANT:
      if (byRef) return FromVariant(*from.pvarVal);
      break;
    case VT_ARRAY | VT_UI1: return Variant(BytesOf(byRef ? *from.pparray : from.parray));
    default: break;
  }
  RaiseUnsupported(from.vt);
}

}  // namespace rtl::com
