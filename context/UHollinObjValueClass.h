// THostContext: the host's context object, declared here for the module and
// implemented by the host. CreateModule receives one; the module only borrows
// it and never creates, releases or destroys it.
//
// The host's operations follow the safecall convention: each returns 0 on
// success and, on failure, a failing status with error filled in. They never
// raise; the module raises their failures on its own side (rtl::SafeCallRaise).
#pragma once

#include "runtime/db/DataSet.h"
#include "runtime/except/SafeCall.h"
#include "runtime/variant/Variant.h"

class THostContext {
 public:
  // An automation object whose member "Prompt" shows a message to the user.
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
  THostContext(const THostContext&) = delete;
  THostContext& operator=(const THostContext&) = delete;
  virtual ~THostContext() = default;  // the host destroys its own object
};
