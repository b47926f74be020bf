#include "host/services/ModuleSql.h"

#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"
#include "runtime/text/Unicode.h"

namespace host {
namespace {

// The back end's words are UTF-8 (they may quote a statement's Chinese
// names), an exception's message GBK; words GBK cannot hold stay as written.
[[noreturn]] void RaiseDatabase(const DatabaseError& e) {
  rtl::AnsiString detail;
  try {
    detail = rtl::Utf8ToGbk(e.what());
  } catch (const rtl::EConvertError&) {
    detail = e.what();
  }
  throw rtl::EDatabaseError("database error: " + detail, "数据库访问出错，操作未完成。");
}

}  // namespace

Table ModuleSql::Query(const char* call, const rtl::WideString& sql) {
  try {
    const std::string utf8 = rtl::WideToUtf8(sql);
    Table table;
    try {
      table = db_.Select(utf8, {});
    } catch (const DatabaseError& e) {
      RaiseDatabase(e);
    }
    if (observer_ != nullptr) observer_->Queried(call, sql, table.rows.size());
    return table;
  } catch (const rtl::Exception& e) {
    if (observer_ != nullptr) observer_->Failed(call, sql, e.what());
    throw;
  }
}

void ModuleSql::Execute(const char* call, const rtl::WideString& sql) {
  try {
    const int changed = Run(rtl::WideToUtf8(sql));
    if (changed == 0) throw rtl::EDatabaseError("the statement changed no row", "没有记录被修改");
    if (changed != 1) {
      throw rtl::EDatabaseError("the statement would change " + std::to_string(changed) + " rows; rolled back",
                                "语句会修改多条记录，已撤销");
    }
  } catch (const rtl::Exception& e) {
    if (observer_ != nullptr) observer_->Failed(call, sql, e.what());
    throw;
  }
  ++writes_;
  if (observer_ != nullptr) observer_->Executed(call, sql);
}

// Runs the statement in a transaction kept only when it changed one row;
// answers how many it changed.
int ModuleSql::Run(const std::string& utf8) {
  int changed = 0;
  try {
    db_.Begin();
    changed = db_.Execute(utf8, {});
    if (changed == 1) {
      db_.Commit();
    } else {
      db_.Rollback();
    }
  } catch (const DatabaseError& e) {
    db_.Rollback();
    RaiseDatabase(e);
  }
  return changed;
}

}  // namespace host
