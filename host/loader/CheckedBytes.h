// Little-endian values read from bytes that come from outside the program,
// each read checked against the end of the bytes: a read past it raises
// ResourceError instead of reading something else.
#pragma once

#include <cstdint>
#include <span>

#include "host/loader/ResourceSection.h"

namespace host::bytes {

inline std::uint32_t Read(std::span<const std::uint8_t> b, std::size_t at, std::size_t size) {
  if (at > b.size() || size > b.size() - at || size > 4) throw ResourceError("truncated data");
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < size; ++i) v |= static_cast<std::uint32_t>(b[at + i]) << (8 * i);
  return v;
}

inline std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(Read(b, at, 2));
}

inline std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) { return Read(b, at, 4); }

}  // namespace host::bytes
