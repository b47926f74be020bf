// The ODBC functions the host calls, the wide ones throughout, in one
// place: each first asks Fails() whether to answer SQL_ERROR instead, the
// seam through which a test makes any one call of a whole password change
// fail. The platform's driver manager is unixODBC or odbc32.
#pragma once

// clang-format off
#if defined(_WIN32)
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
// clang-format on

namespace host {

class OdbcCalls {
 public:
  virtual ~OdbcCalls() = default;

  SQLRETURN AllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output) {
    return Fails("SQLAllocHandle") ? SQL_ERROR : ::SQLAllocHandle(type, input, output);
  }
  SQLRETURN FreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    return Fails("SQLFreeHandle") ? SQL_ERROR : ::SQLFreeHandle(type, handle);
  }
  SQLRETURN SetEnvAttr(SQLHENV env, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length) {
    return Fails("SQLSetEnvAttr") ? SQL_ERROR : ::SQLSetEnvAttr(env, attribute, value, length);
  }
  SQLRETURN SetConnectAttr(SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length) {
    return Fails("SQLSetConnectAttrW") ? SQL_ERROR : ::SQLSetConnectAttrW(dbc, attribute, value, length);
  }
  SQLRETURN DriverConnect(SQLHDBC dbc, SQLWCHAR* in, SQLSMALLINT inLength, SQLWCHAR* out, SQLSMALLINT outSize,
                          SQLSMALLINT* outLength) {
    return Fails("SQLDriverConnectW")
               ? SQL_ERROR
               : ::SQLDriverConnectW(dbc, nullptr, in, inLength, out, outSize, outLength, SQL_DRIVER_NOPROMPT);
  }
  SQLRETURN Disconnect(SQLHDBC dbc) { return Fails("SQLDisconnect") ? SQL_ERROR : ::SQLDisconnect(dbc); }
  SQLRETURN SetStmtAttr(SQLHSTMT stmt, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length) {
    return Fails("SQLSetStmtAttrW") ? SQL_ERROR : ::SQLSetStmtAttrW(stmt, attribute, value, length);
  }
  SQLRETURN BindParameter(SQLHSTMT stmt, SQLUSMALLINT number, SQLULEN columnSize, SQLPOINTER value, SQLLEN bufferLength,
                          SQLLEN* indicator) {
    return Fails("SQLBindParameter") ? SQL_ERROR
                                     : ::SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                                                          columnSize, 0, value, bufferLength, indicator);
  }
  SQLRETURN ExecDirect(SQLHSTMT stmt, SQLWCHAR* text, SQLINTEGER length) {
    return Fails("SQLExecDirectW") ? SQL_ERROR : ::SQLExecDirectW(stmt, text, length);
  }
  SQLRETURN NumResultCols(SQLHSTMT stmt, SQLSMALLINT* count) {
    return Fails("SQLNumResultCols") ? SQL_ERROR : ::SQLNumResultCols(stmt, count);
  }
  SQLRETURN DescribeCol(SQLHSTMT stmt, SQLUSMALLINT column, SQLWCHAR* name, SQLSMALLINT size, SQLSMALLINT* length) {
    SQLSMALLINT type = 0, digits = 0, nullable = 0;
    SQLULEN columnSize = 0;
    return Fails("SQLDescribeColW")
               ? SQL_ERROR
               : ::SQLDescribeColW(stmt, column, name, size, length, &type, &columnSize, &digits, &nullable);
  }
  SQLRETURN Fetch(SQLHSTMT stmt) { return Fails("SQLFetch") ? SQL_ERROR : ::SQLFetch(stmt); }
  SQLRETURN GetData(SQLHSTMT stmt, SQLUSMALLINT column, SQLPOINTER buffer, SQLLEN size, SQLLEN* indicator) {
    return Fails("SQLGetData") ? SQL_ERROR : ::SQLGetData(stmt, column, SQL_C_WCHAR, buffer, size, indicator);
  }
  SQLRETURN RowCount(SQLHSTMT stmt, SQLLEN* count) {
    return Fails("SQLRowCount") ? SQL_ERROR : ::SQLRowCount(stmt, count);
  }
  SQLRETURN MoreResults(SQLHSTMT stmt) { return Fails("SQLMoreResults") ? SQL_ERROR : ::SQLMoreResults(stmt); }
  SQLRETURN EndTran(SQLHDBC dbc, SQLSMALLINT completion) {
    return Fails("SQLEndTran") ? SQL_ERROR : ::SQLEndTran(SQL_HANDLE_DBC, dbc, completion);
  }
  SQLRETURN Tables(SQLHSTMT stmt, SQLWCHAR* types) {
    return Fails("SQLTablesW") ? SQL_ERROR : ::SQLTablesW(stmt, nullptr, 0, nullptr, 0, nullptr, 0, types, SQL_NTS);
  }
  SQLRETURN GetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLWCHAR* state, SQLINTEGER* native,
                       SQLWCHAR* message, SQLSMALLINT size, SQLSMALLINT* length) {
    return Fails("SQLGetDiagRecW") ? SQL_ERROR
                                   : ::SQLGetDiagRecW(type, handle, record, state, native, message, size, length);
  }

 protected:
  // Whether the call of that function about to be made is to fail.
  virtual bool Fails(const char* /*function*/) { return false; }
};

}  // namespace host
