// The part of IUnknown every object the runtime hands to the platform
// shares: a reference count that starts at one (the creator's), and answers
// to IUnknown and to the one interface the object implements. Derived is
// deleted when the last reference goes; it keeps its destructor private.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace rtl::com {

// The platform's interfaces are released, never deleted through: they have
// no virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
template <class Derived, class Interface, const IID& kInterfaceId>
class ComUnknown : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kInterfaceId)) {
      AddRef();
      *out = static_cast<Interface*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 protected:
  ComUnknown() = default;
  ~ComUnknown() = default;

 private:
  std::atomic<ULONG> refs_{1};
};
#pragma GCC diagnostic pop

}  // namespace rtl::com
