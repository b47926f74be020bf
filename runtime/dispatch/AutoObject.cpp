#include "runtime/dispatch/AutoObject.h"

#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace rtl {
namespace {

// Raised by TextArg; Invoke reports it as DISP_E_TYPEMISMATCH.
struct TypeMismatch {
  std::size_t index;
};

}  // namespace

std::uint32_t TAutoObject::AddRef() noexcept { return ++refs_; }

std::uint32_t TAutoObject::Release() noexcept {
  const std::uint32_t left = --refs_;
  if (left == 0) delete this;
  return left;
}

void TAutoObject::AddMember(std::string name, std::size_t arity, Member body) {
  members_.push_back(Entry{std::move(name), arity, std::move(body)});
}

HResult TAutoObject::GetIDsOfNames(const WideString& name, DispId* id) noexcept {
  if (id == nullptr) return E_POINTER;
  for (std::size_t i = 0; i < members_.size(); ++i) {
    const std::string& member = members_[i].name;
    if (member.size() == name.size() && std::equal(member.begin(), member.end(), name.begin())) {
      *id = static_cast<DispId>(i + 1);
      return S_OK;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

HResult TAutoObject::Invoke(DispId id, DispatchKind kind, std::span<Variant> args, Variant* result, ErrorInfo* error,
                            std::uint32_t* argErr) noexcept {
  if (id < 1 || static_cast<std::size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
  if (kind != DispatchKind::Method && kind != DispatchKind::PropertyGet) return DISP_E_MEMBERNOTFOUND;
  const Entry& entry = members_[static_cast<std::size_t>(id) - 1];
  if (args.size() != entry.arity) return DISP_E_BADPARAMCOUNT;
  try {
    Variant value = entry.body(args);
    if (result != nullptr) *result = std::move(value);
    return S_OK;
  } catch (const TypeMismatch& mismatch) {
    if (argErr != nullptr) *argErr = static_cast<std::uint32_t>(mismatch.index);
    return DISP_E_TYPEMISMATCH;
  } catch (...) {
    ErrorInfo local;
    ResultFromCurrentException(error != nullptr ? error : &local);
    return DISP_E_EXCEPTION;
  }
}

AnsiString TAutoObject::TextArg(std::span<Variant> args, std::size_t index) {
  const Variant& arg = args[index].Target();
  if (!arg.IsText()) throw TypeMismatch{index};
  return arg.AsString();
}

}  // namespace rtl
