// COM-style result codes used across the runtime and at library boundaries.
#pragma once

#include <cstdint>

namespace rtl {

using HResult = std::int32_t;

constexpr HResult MakeHResult(std::uint32_t bits) { return static_cast<HResult>(bits); }

constexpr HResult S_OK = 0;
constexpr HResult E_UNEXPECTED = MakeHResult(0x8000FFFFu);
constexpr HResult E_NOTIMPL = MakeHResult(0x80004001u);
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
