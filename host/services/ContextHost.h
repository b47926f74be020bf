// The host context the reference host hands to the context edition: the
// signed-in user, a prompt object showing messages through the host's front
// end, the user's function rights, and SQL and password encoding over the
// host database.
//
// OpenSQL answers the first column of the first row as GBK text (a NULL
// value reads as the empty text) and fails when the query finds no row.
// ExecSQL writes as ModuleSql does. A failure gives the module a Chinese
// description and writes its detail to standard error.
#pragma once

#include "contract/VelmoraContract.h"
#include "host/db/HostTables.h"
#include "host/services/ModuleSql.h"
#include "runtime/db/ClientDataSet.h"
#include "runtime/forms/FrontEnd.h"

namespace host {

class ContextHost final : public THostContext {
 public:
  // Raises when the user's code or rights cannot be represented for the module.
  ContextHost(ModuleSql& sql, const UserRecord& user, rtl::TFrontEnd& screen);
  ~ContextHost() override;

  rtl::HResult OpenSQL(const rtl::WideString& sql, rtl::Variant& result, rtl::ErrorInfo& error) noexcept override;
  rtl::HResult ExecSQL(const rtl::WideString& sql, rtl::ErrorInfo& error) noexcept override;
  rtl::HResult EncodePassword(const rtl::AnsiString& password, rtl::AnsiString& result,
                              rtl::ErrorInfo& error) noexcept override;

 private:
  ModuleSql& sql_;
  rtl::Owned<rtl::TClientDataSet> rights_;
};

}  // namespace host
