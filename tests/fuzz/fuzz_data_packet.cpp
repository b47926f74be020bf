// Data packets: whatever decodes encodes again to the very same bytes, and
// a client dataset takes it as its Data and reads every value.
#include "runtime/db/ClientDataSet.h"
#include "runtime/db/DataPacket.h"
#include "runtime/except/Exceptions.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  rtl::DataPacket packet;
  try {
    packet = rtl::DecodeDataPacket(bytes);
  } catch (const rtl::EDatabaseError&) {
    return 0;
  }
  const rtl::ByteArray again = rtl::EncodeDataPacket(packet);  // raising here fails the input
  fuzz::Require(std::equal(again.begin(), again.end(), bytes.begin(), bytes.end()),
                "a decoded packet encodes to the same bytes");

  rtl::TClientDataSet dataSet(nullptr);
  dataSet.SetData(rtl::Variant(rtl::ByteArray(bytes.begin(), bytes.end())));
  for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
    for (std::size_t i = 0; i < dataSet.FieldCount(); ++i) dataSet.Fields(i)->AsString();
  }
  return 0;
}
