// Reads the compiled form of a description (layout in FormStream.h). Every
// length is checked against what is left before anything is read, so a
// damaged resource raises EReadError and never reads past its end.
#include <cstring>

#include "runtime/except/Exceptions.h"
#include "runtime/forms/Description.h"
#include "runtime/forms/FormStream.h"

namespace rtl {
namespace {

using formstream::Tag;

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}

  DescriptionNode Root() {
    const auto magic = Take(sizeof formstream::kMagic);
    if (std::memcmp(magic.data(), formstream::kMagic, magic.size()) != 0) Fail("not a compiled form description");
    if (U8() != formstream::kVersion) Fail("unknown version");
    DescriptionNode root = Object(1);
    if (pos_ != data_.size()) Fail("bytes after the form");
    return root;
  }

 private:
  [[noreturn]] void Fail(const char* what) const {
    throw EReadError("Form description at byte " + std::to_string(pos_) + ": " + what);
  }

  std::span<const std::uint8_t> Take(std::size_t n) {
    if (n > data_.size() - pos_) Fail("truncated");
    const auto part = data_.subspan(pos_, n);
    pos_ += n;
    return part;
  }

  std::uint64_t Number(std::size_t size) {
    const auto bytes = Take(size);
    std::uint64_t v = 0;
    for (std::size_t i = size; i-- > 0;) v = v << 8 | bytes[i];
    return v;
  }
  std::uint8_t U8() { return static_cast<std::uint8_t>(Number(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Number(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Number(4)); }

  // A name: 1 to 255 identifier characters, dots only where allowed.
  std::string Name(bool dotted) {
    const std::size_t length = U8();
    if (length == 0) Fail("empty name");
    const auto bytes = Take(length);
    for (const std::uint8_t c : bytes) {
      const bool ident = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
      if (!ident && !(dotted && c == '.')) Fail("bad character in a name");
    }
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }

  DescriptionNode Object(int depth) {
    if (depth > formstream::kMaxDepth) Fail("components nested too deeply");
    DescriptionNode node;
    const std::uint8_t kind = U8();
    if (kind > static_cast<std::uint8_t>(formstream::ObjectKind::Inherited)) Fail("bad object kind");
    node.inherited = kind == static_cast<std::uint8_t>(formstream::ObjectKind::Inherited);
    node.name = Name(false);
    node.className = Name(false);
    const std::uint16_t propertyCount = U16();
    node.properties.reserve(propertyCount);
    for (std::uint16_t i = 0; i < propertyCount; ++i) {
      std::string name = Name(true);
      node.properties.emplace_back(std::move(name), Value());
    }
    const std::uint16_t childCount = U16();
    node.children.reserve(childCount);
    for (std::uint16_t i = 0; i < childCount; ++i) node.children.push_back(Object(depth + 1));
    return node;
  }

  PropertyValue Value() {
    switch (static_cast<Tag>(U8())) {
      case Tag::Integer: return PropertyValue::Integer(static_cast<std::int64_t>(Number(8)));
      case Tag::Float: {
        Number(8);  // nothing reads a float's value; its bytes are skipped
        return PropertyValue::Float();
      }
      case Tag::Text: {
        const auto bytes = Take(U32());
        return PropertyValue::Text(AnsiString(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
      }
      case Tag::Identifier: return PropertyValue::Identifier(Name(false));
      case Tag::Set: {
        const std::uint16_t count = U16();
        std::vector<AnsiString> items;
        items.reserve(count);
        for (std::uint16_t i = 0; i < count; ++i) items.push_back(Name(false));
        return PropertyValue::Set(std::move(items));
      }
      case Tag::Binary: {
        return PropertyValue::Binary(Take(U32()));
      }
    }
    --pos_;
    Fail("bad value tag");
  }

  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

}  // namespace

DescriptionNode ReadDescription(std::span<const std::uint8_t> data) { return Reader(data).Root(); }

}  // namespace rtl
