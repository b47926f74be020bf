// A real IDispatch used as a runtime object: names go to GetIDsOfNames,
// calls to Invoke with the arguments in the platform's reverse order. Text
// passed by reference travels as VT_BYREF | VT_BSTR (any other by-reference
// value as VT_BYREF | VT_VARIANT) and whatever the server leaves there is
// copied back when it differs. A server exception (DISP_E_EXCEPTION) comes
// back with its EXCEPINFO description, and the EXCEPINFO strings are freed.
#include <atomic>
#include <new>
#include <vector>

#include "runtime/dispatch/Apartment.h"
#include "runtime/dispatch/win32/ComBridge.h"
#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace rtl::com {
namespace {

// What one Invoke passes: the platform's argument slots and the storage the
// by-reference slots point into, all freed with the call.
class CallArguments {
 public:
  explicit CallArguments(std::span<Variant> args) : args_(args), slots_(args.size()), refs_(args.size()) {
    for (VARIANTARG& slot : slots_) VariantInit(&slot);
    for (Ref& ref : refs_) VariantInit(&ref.value);
  }
  ~CallArguments() {
    for (VARIANTARG& slot : slots_) VariantClear(&slot);
    for (Ref& ref : refs_) {
      SysFreeString(ref.text);
      VariantClear(&ref.value);
    }
  }
  CallArguments(const CallArguments&) = delete;
  CallArguments& operator=(const CallArguments&) = delete;

  // Fills the slots; raises for an argument that has no platform form, with
  // *failed set to its index in call order.
  void Fill(std::size_t* failed) {
    const std::size_t n = args_.size();
    for (std::size_t i = 0; i < n; ++i) {
      *failed = i;
      VARIANTARG& slot = slots_[n - 1 - i];
      if (args_[i].Type() != VarType::ByRef) {
        ToVariant(args_[i], slot);
        continue;
      }
      const Variant& target = args_[i].Target();
      Ref& ref = refs_[i];
      if (target.IsText()) {
        ref.sent = target.AsWideString();
        ref.text = AllocBstr(ref.sent);
        slot.pbstrVal = &ref.text;
        slot.vt = VT_BYREF | VT_BSTR;
      } else {
        ToVariant(target, ref.value);
        slot.pvarVal = &ref.value;
        slot.vt = VT_BYREF | VT_VARIANT;
      }
    }
  }

  // Copies what the server left in by-reference arguments back to the
  // caller. The call has succeeded: a value with no runtime form leaves the
  // caller's variable as it was rather than failing it.
  void CopyBack() {
    for (std::size_t i = 0; i < args_.size(); ++i) {
      if (args_[i].Type() != VarType::ByRef) continue;
      Variant& target = args_[i].Target();
      const Ref& ref = refs_[i];
      if (target.IsText()) {
        WideString after = BstrText(ref.text);
        if (after != ref.sent) target = Variant(std::move(after));
        continue;
      }
      try {
        target = FromVariant(ref.value);
      } catch (const EVariantError&) {
      }
    }
  }

  DISPPARAMS Params() noexcept { return DISPPARAMS{slots_.data(), nullptr, static_cast<UINT>(slots_.size()), 0}; }

 private:
  struct Ref {
    BSTR text = nullptr;
    WideString sent;
    VARIANT value;
  };
  std::span<Variant> args_;
  std::vector<VARIANTARG> slots_;
  std::vector<Ref> refs_;
};

// Takes the server's report out of info and frees its strings;
// error is filled only for a server exception (thrown).
void TakeException(EXCEPINFO& info, bool thrown, ErrorInfo* error) noexcept {
  if (thrown && info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
  if (thrown && error != nullptr) {
    try {
      error->description = WideToGbk(BstrText(info.bstrDescription));
    } catch (...) {
      // A text GBK cannot hold is not replaced: the code alone is reported.
      error->description.clear();
    }
  }
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrHelpFile);
  info = EXCEPINFO{};
}

class DispatchClient final : public IDispatch {
 public:
  explicit DispatchClient(::IDispatch* object) : object_(object), thread_(apartment::ObjectAcquired()) {
    object_->AddRef();
  }

  std::uint32_t AddRef() noexcept override { return ++refs_; }
  std::uint32_t Release() noexcept override {
    const std::uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HResult GetIDsOfNames(const WideString& name, DispId* id) noexcept override {
    if (id == nullptr) return E_POINTER;
    LPOLESTR names[] = {const_cast<LPOLESTR>(reinterpret_cast<const OLECHAR*>(name.c_str()))};
    DISPID found = DISPID_UNKNOWN;
    const HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &found);
    if (SUCCEEDED(hr)) *id = found;
    return hr;
  }

  HResult Invoke(DispId id, DispatchKind kind, std::span<Variant> args, Variant* result, ErrorInfo* error,
                 std::uint32_t* argErr) noexcept override {
    std::size_t failed = 0;
    try {
      CallArguments call(args);
      try {
        call.Fill(&failed);
      } catch (const std::bad_alloc&) {
        throw;
      } catch (...) {
        if (argErr != nullptr) *argErr = static_cast<std::uint32_t>(failed);
        return DISP_E_TYPEMISMATCH;
      }
      DISPPARAMS params = call.Params();
      VARIANT out;
      VariantInit(&out);
      EXCEPINFO info{};
      UINT bad = 0;
      // A call whose result is used may be a method or a property, as the
      // platform's own late binding asks.
      const WORD flags = kind == DispatchKind::Method ? DISPATCH_METHOD | DISPATCH_PROPERTYGET : DISPATCH_PROPERTYGET;
      const HRESULT hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &out, &info, &bad);
      TakeException(info, hr == DISP_E_EXCEPTION, error);
      if (FAILED(hr)) {
        VariantClear(&out);
        if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && argErr != nullptr && bad < args.size()) {
          *argErr = static_cast<std::uint32_t>(args.size() - 1 - bad);
        }
        return hr;
      }
      Variant value;
      try {
        value = FromVariant(out);
        call.CopyBack();
      } catch (const std::bad_alloc&) {
        VariantClear(&out);
        throw;
      } catch (...) {
        VariantClear(&out);
        return DISP_E_BADVARTYPE;
      }
      VariantClear(&out);
      if (result != nullptr) *result = std::move(value);
      return S_OK;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_UNEXPECTED;
    }
  }

  ::IDispatch* Platform() const noexcept { return object_; }

 private:
  ~DispatchClient() {
    object_->Release();
    apartment::ObjectReleased(thread_);
  }

  std::atomic<std::uint32_t> refs_{0};
  ::IDispatch* object_;
  std::uint32_t thread_;
};

}  // namespace

DispatchPtr DispatchClientOf(::IDispatch* object) { return DispatchPtr(new DispatchClient(object)); }

::IDispatch* PlatformObjectOf(const DispatchPtr& object) noexcept {
  const auto* client = dynamic_cast<const DispatchClient*>(object.Get());
  return client != nullptr ? client->Platform() : nullptr;
}

}  // namespace rtl::com
