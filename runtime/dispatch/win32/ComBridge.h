// The bridge between the runtime's late binding and the platform's COM:
// variants converted both ways, a runtime object offered as a real
// IDispatch, and a real IDispatch used as a runtime object.
//
// Conversions: Empty, Null, 32- and 64-bit integers, Double, Boolean, text
// (8-bit text through the strict code page 936 conversion; automation
// strings as BSTR), dispatch references, and byte arrays as a one-dimensional
// SAFEARRAY of VT_UI1 (the data packet). Anything else raises EVariantError;
// text that does not convert raises EConvertError: nothing is replaced.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "runtime/variant/Dispatch.h"
#include "runtime/variant/Variant.h"

namespace rtl::com {

// Fills to, which must be empty (VT_EMPTY); on a raise to stays empty.
void ToVariant(const Variant& from, VARIANT& to);
// By-reference types are read through their reference.
Variant FromVariant(const VARIANT& from);

// A new BSTR holding text (raises std::bad_alloc when the platform has no
// memory), and the text of a BSTR (a null BSTR is the empty text).
BSTR AllocBstr(const WideString& text);
WideString BstrText(BSTR text);

// A real IDispatch implemented over object, handed out with one reference.
::IDispatch* NewServerDispatch(DispatchPtr object);
// A runtime object whose calls go to object through its IDispatch
// (GetIDsOfNames, then Invoke). Takes a reference of its own; the caller
// keeps its own.
DispatchPtr DispatchClientOf(::IDispatch* object);
// The platform object behind a runtime object made by DispatchClientOf, or
// nullptr for any other object.
::IDispatch* PlatformObjectOf(const DispatchPtr& object) noexcept;

}  // namespace rtl::com
