#include "runtime/text/GbkTable.h"

#include <algorithm>
#include <iterator>

namespace rtl::gbktable {
namespace {

#include "gbk_table.inc"

}  // namespace

Decoded DecodeAt(std::string_view gbk, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(gbk[pos]);
  if (lead < 0x80) return {lead, 1};
  if (lead == 0x80) return {kGbkSingle80, kGbkSingle80 != 0 ? 1u : 0u};
  if (lead == 0xFF || pos + 1 >= gbk.size()) return {0, 0};
  const auto trail = static_cast<unsigned char>(gbk[pos + 1]);
  if (trail < 0x40 || trail > 0xFE) return {0, 0};
  const std::uint16_t unit = kGbkDouble[lead - 0x81][trail - 0x40];
  return {unit, unit != 0 ? 2u : 0u};
}

std::uint16_t EncodeUnit(char16_t unit) {
  if (unit < 0x80) return unit;
  const std::uint32_t key = static_cast<std::uint32_t>(unit) << 16;
  const auto* end = kUnicodeToGbk + std::size(kUnicodeToGbk);
  const auto* it = std::lower_bound(kUnicodeToGbk, end, key);
  if (it == end || (*it >> 16) != unit) return 0;
  return static_cast<std::uint16_t>(*it & 0xFFFF);
}

}  // namespace rtl::gbktable
