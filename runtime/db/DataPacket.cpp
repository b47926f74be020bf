// Data packets: bounds-checked little-endian encoding and decoding of a table.
#include "runtime/db/DataPacket.h"

#include <bit>
#include <cstring>
#include <limits>

#include "runtime/except/Exceptions.h"

namespace rtl {
namespace {

constexpr char kMagic[4] = {'V', 'D', 'P', 'K'};
constexpr std::uint16_t kVersion = 1;
// The least a field definition can take: type, name length, one name byte.
constexpr std::uint64_t kMinFieldBytes = 4;

[[noreturn]] void Malformed(const AnsiString& what) { throw EDatabaseError("Malformed data packet: " + what); }

void CheckRowWidth(const DataPacket& packet, const Row& row) {
  if (packet.fields.empty()) throw EDatabaseError("Rows without fields");
  if (row.size() != packet.fields.size()) {
    throw EDatabaseError("Row has " + IntToStr(static_cast<std::int64_t>(row.size())) + " values for " +
                         IntToStr(static_cast<std::int64_t>(packet.fields.size())) + " fields");
  }
}

class Writer {
 public:
  void Bytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    out_.insert(out_.end(), p, p + size);
  }
  void U8(std::uint8_t v) { out_.push_back(v); }
  void U16(std::uint16_t v) { Little(v, 2); }
  void U32(std::uint32_t v) { Little(v, 4); }
  void U64(std::uint64_t v) { Little(v, 8); }
  ByteArray Take() { return std::move(out_); }

 private:
  void Little(std::uint64_t v, int size) {
    for (int i = 0; i < size; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  ByteArray out_;
};

// Every read checks the remaining size first, so a short packet raises
// instead of reading past its end.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t Remaining() const noexcept { return bytes_.size() - pos_; }

  std::span<const std::uint8_t> Bytes(std::uint64_t size) {
    if (size > Remaining()) Malformed("truncated");
    const auto result = bytes_.subspan(pos_, static_cast<std::size_t>(size));
    pos_ += static_cast<std::size_t>(size);
    return result;
  }
  std::uint8_t U8() { return Bytes(1)[0]; }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Little(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Little(4)); }
  std::uint64_t U64() { return Little(8); }

 private:
  std::uint64_t Little(std::size_t size) {
    const auto b = Bytes(size);
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < size; ++i) v |= static_cast<std::uint64_t>(b[i]) << (8 * i);
    return v;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

void WriteValue(Writer& w, const FieldDef& field, const Variant& value) {
  const Variant stored = ToFieldValue(field, value);
  if (stored.IsNull()) {
    w.U8(0);
    return;
  }
  w.U8(1);
  switch (field.type) {
    case ftString: {
      const AnsiString text = stored.AsString();
      if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw EDatabaseError("Value of field '" + field.name + "' is too long for a data packet");
      }
      w.U32(static_cast<std::uint32_t>(text.size()));
      w.Bytes(text.data(), text.size());
      break;
    }
    case ftInteger: w.U32(static_cast<std::uint32_t>(stored.AsInteger())); break;
    case ftLargeint: w.U64(static_cast<std::uint64_t>(StoredInt64(stored))); break;
    case ftFloat: w.U64(std::bit_cast<std::uint64_t>(stored.AsDouble())); break;
    case ftBoolean: w.U8(stored.AsBoolean() ? 1 : 0); break;
  }
}

Variant ReadValue(Reader& r, TFieldType type) {
  const std::uint8_t present = r.U8();
  if (present == 0) return Variant::Null();
  if (present != 1) Malformed("present flag " + IntToStr(present));
  switch (type) {
    case ftString: {
      const auto text = r.Bytes(r.U32());
      return Variant(AnsiString(text.begin(), text.end()));
    }
    case ftInteger: return Variant(static_cast<std::int32_t>(r.U32()));
    case ftLargeint: return Variant(static_cast<std::int64_t>(r.U64()));
    case ftFloat: return Variant(std::bit_cast<double>(r.U64()));
    case ftBoolean: {
      const std::uint8_t b = r.U8();
      if (b > 1) Malformed("Boolean value " + IntToStr(b));
      return Variant(b == 1);
    }
  }
  Malformed("unknown field type");
}

}  // namespace

DataPacket& DataPacket::AddField(AnsiString name, TFieldType type) {
  if (!rows.empty()) throw EDatabaseError("Fields must be added before rows");
  fields.push_back({std::move(name), type});
  try {
    CheckFieldDefs(fields);
  } catch (...) {
    fields.pop_back();
    throw;
  }
  return *this;
}

DataPacket& DataPacket::AppendRow(const Row& values) {
  CheckRowWidth(*this, values);
  Row row;
  row.reserve(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) row.push_back(ToFieldValue(fields[i], values[i]));
  rows.push_back(std::move(row));
  return *this;
}

void NormalizeDataPacket(DataPacket& packet) {
  CheckFieldDefs(packet.fields);
  for (Row& row : packet.rows) {
    CheckRowWidth(packet, row);
    for (std::size_t i = 0; i < row.size(); ++i) row[i] = ToFieldValue(packet.fields[i], row[i]);
  }
}

ByteArray EncodeDataPacket(const DataPacket& packet) {
  CheckFieldDefs(packet.fields);
  if (packet.fields.size() > std::numeric_limits<std::uint16_t>::max()) {
    throw EDatabaseError("Too many fields for a data packet");
  }
  if (packet.rows.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw EDatabaseError("Too many rows for a data packet");
  }

  Writer w;
  w.Bytes(kMagic, sizeof kMagic);
  w.U16(kVersion);
  w.U16(static_cast<std::uint16_t>(packet.fields.size()));
  for (const FieldDef& field : packet.fields) {
    if (field.name.size() > std::numeric_limits<std::uint16_t>::max()) {
      throw EDatabaseError("Field name too long for a data packet");
    }
    w.U8(field.type);
    w.U16(static_cast<std::uint16_t>(field.name.size()));
    w.Bytes(field.name.data(), field.name.size());
  }
  w.U32(static_cast<std::uint32_t>(packet.rows.size()));
  for (const Row& row : packet.rows) {
    CheckRowWidth(packet, row);
    for (std::size_t i = 0; i < row.size(); ++i) WriteValue(w, packet.fields[i], row[i]);
  }
  return w.Take();
}

DataPacket DecodeDataPacket(std::span<const std::uint8_t> bytes) {
  Reader r(bytes);
  if (std::memcmp(r.Bytes(sizeof kMagic).data(), kMagic, sizeof kMagic) != 0) Malformed("bad magic");
  const std::uint16_t version = r.U16();
  if (version != kVersion) Malformed("unsupported version " + IntToStr(version));

  DataPacket packet;
  const std::uint16_t fieldCount = r.U16();
  if (fieldCount * kMinFieldBytes > r.Remaining()) Malformed("field count exceeds the packet size");
  packet.fields.reserve(fieldCount);
  for (std::uint16_t i = 0; i < fieldCount; ++i) {
    const std::uint8_t type = r.U8();
    if (type < ftString || type > ftBoolean) Malformed("unknown field type " + IntToStr(type));
    const std::uint16_t nameLength = r.U16();
    if (nameLength == 0) Malformed("empty field name");
    const auto name = r.Bytes(nameLength);
    packet.fields.push_back({AnsiString(name.begin(), name.end()), static_cast<TFieldType>(type)});
  }
  try {
    CheckFieldDefs(packet.fields);
  } catch (const EDatabaseError& e) {
    Malformed(e.Message());
  }

  const std::uint32_t rowCount = r.U32();
  if (fieldCount == 0 && rowCount != 0) Malformed("rows without fields");
  // Each value takes at least its present flag: checked before anything is reserved.
  if (static_cast<std::uint64_t>(rowCount) * fieldCount > r.Remaining()) {
    Malformed("row count exceeds the packet size");
  }
  packet.rows.reserve(rowCount);
  for (std::uint32_t i = 0; i < rowCount; ++i) {
    Row row;
    row.reserve(fieldCount);
    for (const FieldDef& field : packet.fields) row.push_back(ReadValue(r, field.type));
    packet.rows.push_back(std::move(row));
  }
  if (r.Remaining() != 0) Malformed("trailing bytes");
  return packet;
}

}  // namespace rtl
