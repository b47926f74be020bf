// Shared sample content for the dataset tests: a table of every field type
// with Nulls, numeric text and GBK text, and a helper to list the Ids of the
// rows a dataset shows.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/db/ClientDataSet.h"

namespace dbtest {

//   Id | Name   | Code | Score | Big              | Flag  | 名称
//    1 | Ann    | 3    | 2.5   | 9007199254740993 | true  | 张三
//    2 | bob    | x    | Null  | 9007199254740992 | false | 李四
//    3 | O'Neil | 10   | -1    | Null             | Null  | Null
//   -5 | Null   | 03   | 7     | -1               | true  | 张三
//    0 | Bo     | Null | 0     | 0                | false | 王五
inline rtl::DataPacket SampleTable() {
  using rtl::Variant;
  const Variant null = Variant::Null();
  rtl::DataPacket p;
  p.AddField("Id", rtl::ftInteger)
      .AddField("Name", rtl::ftString)
      .AddField("Code", rtl::ftString)
      .AddField("Score", rtl::ftFloat)
      .AddField("Big", rtl::ftLargeint)
      .AddField("Flag", rtl::ftBoolean)
      .AddField("名称", rtl::ftString);
  p.AppendRow({1, "Ann", "3", 2.5, std::int64_t{9007199254740993}, true, "张三"});
  p.AppendRow({2, "bob", "x", null, std::int64_t{9007199254740992}, false, "李四"});
  p.AppendRow({3, "O'Neil", "10", -1.0, null, null, null});
  p.AppendRow({-5, null, "03", 7, std::int64_t{-1}, true, "张三"});
  p.AppendRow({0, "Bo", null, 0.0, std::int64_t{0}, false, "王五"});
  return p;
}

// Ids of the visible rows in order; leaves the cursor at the end.
inline std::vector<int> VisibleIds(rtl::TDataSet& ds) {
  std::vector<int> ids;
  for (ds.First(); !ds.Eof(); ds.Next()) ids.push_back(ds.FieldByName("Id")->AsInteger());
  return ids;
}

}  // namespace dbtest
