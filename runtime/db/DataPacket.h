// The data packet: a table (field definitions and rows) as bytes, the form a
// client dataset's Data takes. All integers are little-endian:
//
//   "VDPK"              magic, 4 bytes
//   u16 version         1
//   u16 fieldCount
//   per field:          u8 type (1 string, 2 int32, 3 int64, 4 double, 5 boolean)
//                       u16 nameLength, then nameLength bytes of name (GBK)
//   u32 rowCount
//   per row, per field: u8 present (0 = null, 1 = value), then for a value:
//                       string  u32 length + bytes
//                       int32   4 bytes
//                       int64   8 bytes
//                       double  8 bytes (IEEE 754)
//                       boolean 1 byte (0 or 1)
//
// Nothing may follow the last row. Decoding accepts only packets in exactly
// this form and raises EDatabaseError ("Malformed data packet: ...") for
// anything else, reading nothing beyond the bytes it is given.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "runtime/db/FieldTypes.h"

namespace rtl {

struct DataPacket {
  std::vector<FieldDef> fields;
  std::vector<Row> rows;  // each holds values in the fields' storage form (see ToFieldValue)

  // Builders for content made in code; each checks what it adds and raises
  // EDatabaseError. Fields come before rows.
  DataPacket& AddField(AnsiString name, TFieldType type);
  // One value per field, converted with ToFieldValue.
  DataPacket& AppendRow(const Row& values);
};

// Checks names, row widths and value types, converting the values to their
// storage form; raises EDatabaseError. Decoded and built packets already pass.
void NormalizeDataPacket(DataPacket& packet);

// Raises EDatabaseError for content the format cannot hold (bad names or
// values, more than 65535 fields, a name longer than 65535 bytes, ...).
ByteArray EncodeDataPacket(const DataPacket& packet);
DataPacket DecodeDataPacket(std::span<const std::uint8_t> bytes);

}  // namespace rtl
