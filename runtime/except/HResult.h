// COM-style result codes used across the runtime and at library boundaries.
#pragma once

#include <cstdint>

// The platform's headers define these names as macros; the runtime's own
// constants are declared past them, and the macros come back afterwards.
#if defined(_WIN32)
#pragma push_macro("S_OK")
#undef S_OK
#pragma push_macro("E_UNEXPECTED")
#undef E_UNEXPECTED
#pragma push_macro("E_NOTIMPL")
#undef E_NOTIMPL
#pragma push_macro("E_POINTER")
#undef E_POINTER
#pragma push_macro("E_FAIL")
#undef E_FAIL
#pragma push_macro("E_INVALIDARG")
#undef E_INVALIDARG
#pragma push_macro("E_OUTOFMEMORY")
#undef E_OUTOFMEMORY
#pragma push_macro("DISP_E_UNKNOWNNAME")
#undef DISP_E_UNKNOWNNAME
#pragma push_macro("DISP_E_TYPEMISMATCH")
#undef DISP_E_TYPEMISMATCH
#pragma push_macro("DISP_E_EXCEPTION")
#undef DISP_E_EXCEPTION
#pragma push_macro("DISP_E_BADPARAMCOUNT")
#undef DISP_E_BADPARAMCOUNT
#pragma push_macro("DISP_E_MEMBERNOTFOUND")
#undef DISP_E_MEMBERNOTFOUND
#pragma push_macro("CO_E_CLASSSTRING")
#undef CO_E_CLASSSTRING
#pragma push_macro("CO_E_SERVER_EXEC_FAILURE")
#undef CO_E_SERVER_EXEC_FAILURE
#endif

namespace rtl {

using HResult = std::int32_t;

constexpr HResult MakeHResult(std::uint32_t bits) { return static_cast<HResult>(bits); }

constexpr HResult S_OK = 0;
constexpr HResult E_UNEXPECTED = MakeHResult(0x8000FFFFu);
constexpr HResult E_POINTER = MakeHResult(0x80004003u);
constexpr HResult E_FAIL = MakeHResult(0x80004005u);
constexpr HResult E_INVALIDARG = MakeHResult(0x80070057u);
constexpr HResult E_OUTOFMEMORY = MakeHResult(0x8007000Eu);
constexpr HResult DISP_E_UNKNOWNNAME = MakeHResult(0x80020006u);
constexpr HResult DISP_E_TYPEMISMATCH = MakeHResult(0x80020005u);
constexpr HResult DISP_E_EXCEPTION = MakeHResult(0x80020009u);
constexpr HResult DISP_E_BADPARAMCOUNT = MakeHResult(0x8002000Eu);
constexpr HResult DISP_E_MEMBERNOTFOUND = MakeHResult(0x80020003u);
constexpr HResult CO_E_CLASSSTRING = MakeHResult(0x800401F3u);
constexpr HResult CO_E_SERVER_EXEC_FAILURE = MakeHResult(0x80080005u);

constexpr bool Succeeded(HResult hr) { return hr >= 0; }
constexpr bool Failed(HResult hr) { return hr < 0; }

}  // namespace rtl

#if defined(_WIN32)
#pragma pop_macro("S_OK")
#pragma pop_macro("E_UNEXPECTED")
#pragma pop_macro("E_NOTIMPL")
#pragma pop_macro("E_POINTER")
#pragma pop_macro("E_FAIL")
#pragma pop_macro("E_INVALIDARG")
#pragma pop_macro("E_OUTOFMEMORY")
#pragma pop_macro("DISP_E_UNKNOWNNAME")
#pragma pop_macro("DISP_E_TYPEMISMATCH")
#pragma pop_macro("DISP_E_EXCEPTION")
#pragma pop_macro("DISP_E_BADPARAMCOUNT")
#pragma pop_macro("DISP_E_MEMBERNOTFOUND")
#pragma pop_macro("CO_E_CLASSSTRING")
#pragma pop_macro("CO_E_SERVER_EXEC_FAILURE")
#endif
