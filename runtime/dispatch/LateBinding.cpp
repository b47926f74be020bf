#include "runtime/dispatch/LateBinding.h"

#include <cstdio>
#include <vector>

#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace rtl {
namespace {

AnsiString HexCode(HResult hr) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(hr));
  return text;
}

[[noreturn]] void RaiseInvokeFailure(std::string_view member, HResult hr, const ErrorInfo& error,
                                     std::uint32_t argErr) {
  const AnsiString name(member);
  if (hr == DISP_E_EXCEPTION) {
    // Without a description the server told nothing for the person.
    if (error.description.empty()) throw EOleSysError("Exception in automation method '" + name + "'", hr);
    throw EOleException(error.description, hr);
  }
  if (hr == DISP_E_BADPARAMCOUNT) throw EOleSysError("Invalid number of parameters for '" + name + "'", hr);
  if (hr == DISP_E_TYPEMISMATCH) {
    throw EOleSysError("Type mismatch in parameter " + IntToStr(argErr + 1) + " of '" + name + "'", hr);
  }
  if (hr == DISP_E_MEMBERNOTFOUND) throw EOleSysError("Member '" + name + "' not found", hr);
  throw EOleSysError("Call of '" + name + "' failed with code " + HexCode(hr), hr);
}

}  // namespace

Variant Invoke(const Variant& object, std::string_view member, std::span<Variant> args) {
  const DispatchPtr server = object.AsDispatch();
  if (!server) throw EVariantError("Variant does not reference an automation object");
  DispId id = 0;
  const HResult lookup = server->GetIDsOfNames(GbkToWide(member), &id);
  if (Failed(lookup)) {
    if (lookup == DISP_E_UNKNOWNNAME) {
      throw EOleSysError("Method '" + AnsiString(member) + "' not supported by automation object", lookup);
    }
    RaiseInvokeFailure(member, lookup, {}, 0);
  }
  // 8-bit text travels as an automation string; by-reference arguments stay references.
  std::vector<Variant> converted;
  converted.reserve(args.size());
  for (const Variant& arg : args) {
    if (arg.Type() == VarType::String) {
      converted.emplace_back(arg.AsWideString());
    } else {
      converted.push_back(arg);
    }
  }
  Variant result;
  ErrorInfo error;
  std::uint32_t argErr = 0;
  const HResult hr = server->Invoke(id, DispatchKind::Method, converted, &result, &error, &argErr);
  if (Failed(hr)) RaiseInvokeFailure(member, hr, error, argErr);
  return result;
}

Variant Invoke(const Variant& object, std::string_view member, std::initializer_list<Variant> args) {
  std::vector<Variant> copy(args);
  return Invoke(object, member, std::span<Variant>(copy));
}

Variant InvokeWithRefs(const Variant& object, std::string_view member, std::initializer_list<TextRef> refs) {
  std::vector<Variant> holders;
  holders.reserve(refs.size());
  for (const TextRef& ref : refs) holders.emplace_back(GbkToWide(ref.Text()));
  std::vector<Variant> args;
  args.reserve(holders.size());
  for (Variant& holder : holders) args.push_back(Variant::Ref(&holder));
  Variant result = Invoke(object, member, std::span<Variant>(args));
  // The call has succeeded: what the server left behind cannot undo that.
  // Text the caller's variable cannot hold, or a value that is no text (a
  // by-reference string can only be given back a string), leaves it as it was.
  std::size_t i = 0;
  for (const TextRef& ref : refs) {
    const Variant& after = holders[i++];
    if (!after.IsText()) continue;
    try {
      ref.Text() = after.AsString();
    } catch (const EConvertError&) {
      // Not GBK text: the variable keeps what it held.
    }
  }
  return result;
}

}  // namespace rtl
