// Dataset filters: any text either is refused with EDatabaseError or
// filters a client dataset of every field type, Null values included.
#include "runtime/db/ClientDataSet.h"
#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

rtl::DataPacket Rights() {
  rtl::DataPacket packet;
  packet.AddField("ModFunTyp", rtl::ftInteger)
      .AddField("ModFunID", rtl::ftInteger)
      .AddField(rtl::Utf8ToGbk(reinterpret_cast<const char*>(u8"名称")), rtl::ftString)
      .AddField("Big", rtl::ftLargeint)
      .AddField("Score", rtl::ftFloat)
      .AddField("Flag", rtl::ftBoolean);
  const rtl::Variant null = rtl::Variant::Null();
  packet.AppendRow(
      {3, 101, rtl::Utf8ToGbk(reinterpret_cast<const char*>(u8"张三")), std::int64_t{9007199254740993}, 1.5, true});
  packet.AppendRow({3, 102, "O'Neil", std::int64_t{-1}, -0.25, false});
  packet.AppendRow({1, 103, null, null, null, null});
  packet.AppendRow({null, null, "05", std::int64_t{0}, 7.0, true});
  return packet;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const rtl::DataPacket rights = Rights();
  rtl::TClientDataSet dataSet(nullptr);
  dataSet.SetPacket(rights);
  try {
    dataSet.SetFilter(rtl::AnsiString(fuzz::Text(data, size)));
    dataSet.SetFiltered(true);
  } catch (const rtl::EDatabaseError&) {
    return 0;
  }
  std::size_t shown = 0;
  for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) ++shown;
  fuzz::Require(shown == dataSet.RecordCount() && shown <= rights.rows.size(), "the filter shows some of the rows");
  dataSet.Locate("ModFunID", rtl::Variant("101"));
  return 0;
}
