// TClientDataSet: Data in and out as packets, and its registration for form descriptions.
#include "runtime/db/ClientDataSet.h"

#include "runtime/components/Classes.h"
#include "runtime/except/Exceptions.h"

namespace rtl {
namespace {

const ClassRegistration registration = ClassRegistration::Of<TClientDataSet>("TClientDataSet");

}  // namespace

TClientDataSet::TClientDataSet(TComponent* owner) : TDataSet(owner) {}

Variant TClientDataSet::Data() const {
  if (!HasContent()) return Variant::Null();
  return Variant(EncodeDataPacket(Content()));
}

void TClientDataSet::SetData(const Variant& packet) {
  const Variant& bytes = packet.Target();
  if (bytes.Type() != VarType::Bytes) throw EDatabaseError("Invalid data packet");
  SetContent(DecodeDataPacket(bytes.AsByteArray()));
}

void TClientDataSet::SetPacket(DataPacket packet) { SetContent(std::move(packet)); }

}  // namespace rtl
