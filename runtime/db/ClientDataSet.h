// TClientDataSet: an in-memory dataset whose content travels as a data
// packet (see DataPacket.h) in its Data property. Form descriptions create it
// by the class name "TClientDataSet"; it takes only the properties every
// component takes.
#pragma once

#include "runtime/db/DataPacket.h"
#include "runtime/db/DataSet.h"

namespace rtl {

class TClientDataSet : public TDataSet {
 public:
  explicit TClientDataSet(TComponent* owner);
  const char* ClassName() const noexcept override { return "TClientDataSet"; }

  // The packet of the whole content (every row, whatever the filter), as a
  // byte-array variant; Null before any content was given.
  Variant Data() const;
  // Takes a byte-array variant holding a packet, replaces fields and rows
  // with its own and opens on the first visible row. Anything but a byte
  // array raises EDatabaseError "Invalid data packet"; a malformed packet
  // raises EDatabaseError and keeps the previous content.
  void SetData(const Variant& packet);

  // The same for content built in code (DataPacket::AddField, AppendRow).
  void SetPacket(DataPacket packet);
};

}  // namespace rtl
