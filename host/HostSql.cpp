#include "host/HostSql.h"

#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"
#include "runtime/text/Unicode.h"

namespace host {
namespace {

[[noreturn]] void RaiseDatabase(const DatabaseError& e) {
  throw rtl::EDatabaseError(std::string("database error: ") + e.what(), "数据库访问出错，操作未完成。");
}

}  // namespace

Table QueryWide(Database& db, const rtl::WideString& sql) {
  const std::string utf8 = rtl::WideToUtf8(sql);
  try {
    return db.Select(utf8);
  } catch (const DatabaseError& e) {
    RaiseDatabase(e);
  }
}

void ExecuteWide(Database& db, const rtl::WideString& sql, SessionLog& log) {
  const std::string utf8 = rtl::WideToUtf8(sql);
  int changed = 0;
  try {
    db.Begin();
    changed = db.Execute(utf8);
    if (changed == 1) db.Commit();
  } catch (const DatabaseError& e) {
    db.Rollback();
    RaiseDatabase(e);
  }
  if (changed != 1) {
    db.Rollback();
    if (changed == 0) throw rtl::EDatabaseError("the statement changed no row", "没有记录被修改");
    throw rtl::EDatabaseError("the statement would change " + std::to_string(changed) + " rows; rolled back",
                              "语句会修改多条记录，已撤销");
  }
  ++log.passwordWrites;
}

}  // namespace host
