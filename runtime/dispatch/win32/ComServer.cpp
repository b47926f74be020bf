// A runtime object offered as a real IDispatch, without type information:
// GetIDsOfNames asks the object (one name, no named arguments; letter case
// as the object matches it), Invoke converts the platform's arguments into
// the runtime's call order and back. By-reference text (VT_BYREF | VT_BSTR)
// and by-reference variants reach the object as references, and what it
// leaves there is written back. A member that fails reports
// DISP_E_EXCEPTION with its description in EXCEPINFO.
#include <new>
#include <vector>

#include "runtime/dispatch/win32/ComBridge.h"
#include "runtime/dispatch/win32/ComUnknown.h"
#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace rtl::com {
namespace {

// Fills info for a member that raised; a description the platform's text
// cannot carry is left out rather than altered.
void Report(const ErrorInfo& error, EXCEPINFO* info) noexcept {
  if (info == nullptr) return;
  *info = EXCEPINFO{};
  info->scode = E_FAIL;
  try {
    info->bstrDescription = AllocBstr(GbkToWide(error.description));
  } catch (...) {
  }
}

class ServerDispatch final : public ComUnknown<ServerDispatch, ::IDispatch, IID_IDispatch> {
 public:
  explicit ServerDispatch(DispatchPtr object) : object_(std::move(object)) {}

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
  }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (names == nullptr || ids == nullptr) return E_POINTER;
    if (count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    try {
      DispId id = 0;
      if (names[0] == nullptr) return E_POINTER;
      const HResult hr = object_->GetIDsOfNames(WideString(reinterpret_cast<const char16_t*>(names[0])), &id);
      if (FAILED(hr)) return hr;
      ids[0] = id;
      // The members take no named arguments.
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* info, UINT* argErr) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (params == nullptr) return E_POINTER;
    if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (params->cArgs != 0 && params->rgvarg == nullptr) return E_POINTER;
    DispatchKind kind = DispatchKind::Method;
    if ((flags & DISPATCH_METHOD) == 0) {
      if ((flags & DISPATCH_PROPERTYGET) == 0) return DISP_E_MEMBERNOTFOUND;
      kind = DispatchKind::PropertyGet;
    }
    try {
      const std::size_t n = params->cArgs;
      // holders[i] is the value a by-reference argument i refers to.
      std::vector<Variant> holders(n);
      std::vector<Variant> args(n);
      for (std::size_t i = 0; i < n; ++i) {
        const VARIANTARG& slot = params->rgvarg[n - 1 - i];
        try {
          if (slot.vt == (VT_BYREF | VT_BSTR) || slot.vt == (VT_BYREF | VT_VARIANT)) {
            holders[i] = FromVariant(slot);
            args[i] = Variant::Ref(&holders[i]);
          } else {
            args[i] = FromVariant(slot);
          }
        } catch (const std::bad_alloc&) {
          throw;
        } catch (...) {
          if (argErr != nullptr) *argErr = static_cast<UINT>(n - 1 - i);
          return DISP_E_TYPEMISMATCH;
        }
      }
      Variant value;
      ErrorInfo error;
      std::uint32_t bad = 0;
      const HResult hr = object_->Invoke(id, kind, args, &value, &error, &bad);
      if (hr == DISP_E_EXCEPTION) Report(error, info);
      if (hr == DISP_E_TYPEMISMATCH && argErr != nullptr && bad < n) *argErr = static_cast<UINT>(n - 1 - bad);
      if (FAILED(hr)) return hr;
      for (std::size_t i = 0; i < n; ++i) WriteBack(params->rgvarg[n - 1 - i], holders[i]);
      if (result != nullptr) {
        VariantInit(result);
        ToVariant(value, *result);
      }
      return S_OK;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      // The object's result, or what it left in an argument, has no platform
      // form (text GBK cannot map): the call fails as the member would.
      ErrorInfo error;
      ResultFromCurrentException(&error);
      Report(error, info);
      return DISP_E_EXCEPTION;
    }
  }

 private:
  friend ComUnknown;
  ~ServerDispatch() = default;

  // Writes what the member left in a by-reference argument back to the
  // caller. The member has succeeded: a value the slot cannot take (no text
  // for a string, text GBK cannot map) leaves the caller's value as it was.
  static void WriteBack(VARIANTARG& slot, const Variant& holder) {
    try {
      if (slot.vt == (VT_BYREF | VT_BSTR)) {
        if (!holder.IsText()) return;
        const WideString after = holder.AsWideString();
        if (after == BstrText(*slot.pbstrVal)) return;
        BSTR text = AllocBstr(after);
        SysFreeString(*slot.pbstrVal);
        *slot.pbstrVal = text;
      } else if (slot.vt == (VT_BYREF | VT_VARIANT)) {
        VARIANT after;
        VariantInit(&after);
        ToVariant(holder, after);
        VariantClear(slot.pvarVal);
        *slot.pvarVal = after;
      }
    } catch (const std::bad_alloc&) {
      throw;
    } catch (const Exception&) {
    }
  }

  DispatchPtr object_;
};

}  // namespace

::IDispatch* NewServerDispatch(DispatchPtr object) { return new ServerDispatch(std::move(object)); }

}  // namespace rtl::com
