// The contract between a host and a Velmora library: the whole of what
// either side sees of the other. The host and both editions compile against
// this header and include nothing else of each other.
//
//   - The four entry points, found by name, with their signatures. Each
//     returns a 32-bit COM-style status (0 for success) and never lets an
//     exception out; its own result, where it has one, comes through its
//     last argument. On 32-bit Windows they use the stdcall convention and
//     every argument is 32 bits wide.
//   - The display kind CreateModule writes: one value per edition.
//   - The context object the context edition's CreateModule receives.
//   - The automation servers the automation edition starts by ProgID, and
//     the members it calls on them, spelt as the servers spell them.
//   - The resource that says which edition a library is, so that a host
//     can tell which CreateModule to call without loading the library.
#pragma once

#include <cstdint>

#include "runtime/boundary/SafeCall.h"
#include "runtime/variant/Variant.h"

namespace rtl {
class TCustomForm;
class TDataSet;
}  // namespace rtl

#if defined(_WIN32)
#define VELMORA_EXPORT __declspec(dllexport)
#else
#define VELMORA_EXPORT __attribute__((visibility("default")))
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define VELMORA_CALL __stdcall
#else
#define VELMORA_CALL
#endif

// The host's context object, implemented by the host. The context edition
// only borrows it: it never creates, releases or destroys it.
//
// The operations follow the safecall convention: each returns 0 on success
// and, on failure, a failing status with error filled in. They never raise;
// the module raises their failures on its own side (rtl::SafeCallRaise).
class THostContext {
 public:
  THostContext(const THostContext&) = delete;
  THostContext& operator=(const THostContext&) = delete;

  // An automation object whose member PromptMember shows a message to the user.
  rtl::Variant PromptObj;
  // The signed-in user's UserCode (GBK).
  rtl::AnsiString CurUserCode;
  // The user's function rights, columns ModFunTyp and ModFunID.
  rtl::TDataSet* FunRightData = nullptr;

  // Runs one SELECT and gives the one value it selects.
  virtual rtl::HResult OpenSQL(const rtl::WideString& sql, rtl::Variant& result, rtl::ErrorInfo& error) noexcept = 0;
  // Runs one statement; a failing status is the caller's only sign of failure.
  virtual rtl::HResult ExecSQL(const rtl::WideString& sql, rtl::ErrorInfo& error) noexcept = 0;
  // Gives the stored form of a password; equal inputs give equal results.
  virtual rtl::HResult EncodePassword(const rtl::AnsiString& password, rtl::AnsiString& result,
                                      rtl::ErrorInfo& error) noexcept = 0;

 protected:
  THostContext() = default;
  virtual ~THostContext() = default;  // the host destroys its own object
};

// The host's automation servers and their members.
namespace TarnCore {

inline constexpr char FuncStorageProgID[] = "TarnCore.FuncStorage";
inline constexpr char DataCtlProgID[] = "TarnCore.DataCtl";

namespace FuncStorage {
inline constexpr char UserName[] = "UserName";  // () the user's name
inline constexpr char UserID[] = "UserID";      // () the user's code, a string
inline constexpr char alert[] = "alert";        // (text) a warning or error box
inline constexpr char prompt[] = "prompt";      // (text) an information box
}  // namespace FuncStorage

namespace DataCtl {
inline constexpr char Opensql[] = "Opensql";  // (sql by reference) the rows as a data packet
inline constexpr char Execsql[] = "Execsql";  // (sql by reference) runs one statement
}  // namespace DataCtl

// The member of THostContext::PromptObj that shows a message: (text by reference).
inline constexpr char PromptMember[] = "Prompt";

}  // namespace TarnCore

namespace velmora {

// What CreateModule writes through its last argument.
inline constexpr std::int32_t ContextDisplayKind = 1;
inline constexpr std::int32_t AutomationDisplayKind = 2;

// Every Velmora library carries an RCDATA resource of this name holding its
// display kind as four little-endian bytes.
inline constexpr char EditionResource[] = "VELMORAEDITION";

inline constexpr char CreateModuleName[] = "CreateModule";
inline constexpr char FreeModuleName[] = "FreeModule";
inline constexpr char RefreshModuleName[] = "RefreshModule";
inline constexpr char GetModuleInfoName[] = "GetModuleInfo";

extern "C" {

// Context edition: (form reference out, five ignored values, the host's
// context, display kind out).
using CreateModuleContextFn = std::int32_t(VELMORA_CALL*)(rtl::TCustomForm** form, std::int32_t, std::int32_t,
                                                          std::int32_t, std::int32_t, std::int32_t, THostContext* host,
                                                          std::int32_t* displayKind);
// Automation edition: (form reference out, five ignored values, display kind out).
using CreateModuleAutomationFn = std::int32_t(VELMORA_CALL*)(rtl::TCustomForm** form, std::int32_t, std::int32_t,
                                                             std::int32_t, std::int32_t, std::int32_t,
                                                             std::int32_t* displayKind);
// Destroys the form the host's reference names.
using FreeModuleFn = std::int32_t(VELMORA_CALL*)(rtl::TCustomForm** form);
using RefreshModuleFn = std::int32_t(VELMORA_CALL*)(std::int32_t, std::int32_t);
// (ignored, the host's pointer to a buffer for the module descriptor)
using GetModuleInfoFn = std::int32_t(VELMORA_CALL*)(std::int32_t, char** buffer);

}  // extern "C"

}  // namespace velmora
