// Server side of late binding: an automation object whose members are
// registered by exact name with their argument count. Member bodies may
// raise; Invoke turns that into DISP_E_EXCEPTION with the message, so no
// exception leaves the object.
#pragma once

#include <atomic>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "runtime/variant/Dispatch.h"
#include "runtime/variant/Variant.h"

namespace rtl {

class TAutoObject : public IDispatch {
 public:
  using Member = std::function<Variant(std::span<Variant> args)>;

  // Creates an object holding one reference, handed to the caller.
  template <class T, class... A>
  static ComPtr<T> Create(A&&... a) {
    T* object = new T(std::forward<A>(a)...);
    ComPtr<T> ref(object);
    object->Release();  // drop the construction reference
    return ref;
  }

  std::uint32_t AddRef() noexcept override;
  std::uint32_t Release() noexcept override;
  HResult GetIDsOfNames(const WideString& name, DispId* id) noexcept override;
  HResult Invoke(DispId id, DispatchKind kind, std::span<Variant> args, Variant* result, ErrorInfo* error,
                 std::uint32_t* argErr) noexcept override;

  // The text of argument index; raises a type mismatch for any other type.
  static AnsiString TextArg(std::span<Variant> args, std::size_t index);

 protected:
  TAutoObject() = default;
  virtual ~TAutoObject() = default;
  // Registers a member; arity is its exact argument count.
  void AddMember(std::string name, std::size_t arity, Member body);

 private:
  struct Entry {
    std::string name;
    std::size_t arity;
    Member body;
  };
  std::atomic<std::uint32_t> refs_{1};
  std::vector<Entry> members_;
};

}  // namespace rtl
