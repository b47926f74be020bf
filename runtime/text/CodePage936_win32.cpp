// Code page 936 through the platform: MultiByteToWideChar refusing invalid
// bytes and WideCharToMultiByte refusing best-fit and default characters.
// The platform maps the user-defined areas to the private-use characters
// U+E000-U+E765, which are kept; the other private-use characters it maps
// (GBK's unassigned codes, and U+F8F5 to the byte FF, which it does not
// decode) are refused on both sides, as the table elsewhere has no code for
// them.
#include <windows.h>

#include <climits>

#include "runtime/text/CodePage936.h"

namespace rtl::cp936 {
namespace {

constexpr UINT kCodePage = 936;

// Private-use characters above those of the user-defined areas (U+E000-U+E765).
bool IsRefusedPrivateUse(char16_t unit) { return unit >= 0xE766 && unit <= 0xF8FF; }

// Converts all of gbk, or returns false.
bool DecodeAll(std::string_view gbk, WideString& out) {
  if (gbk.size() > INT_MAX / 2) return false;
  const int size = static_cast<int>(gbk.size());
  const int length = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, gbk.data(), size, nullptr, 0);
  if (length <= 0) return false;
  WideString wide(static_cast<std::size_t>(length), u'\0');
  if (MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, gbk.data(), size, reinterpret_cast<wchar_t*>(wide.data()),
                          length) != length) {
    return false;
  }
  for (char16_t unit : wide) {
    if (IsRefusedPrivateUse(unit)) return false;
  }
  out += wide;
  return true;
}

bool EncodeAll(std::u16string_view wide, AnsiString& out) {
  if (wide.size() > INT_MAX / 4) return false;
  for (char16_t unit : wide) {
    if (IsRefusedPrivateUse(unit)) return false;
  }
  const int size = static_cast<int>(wide.size());
  const auto* text = reinterpret_cast<const wchar_t*>(wide.data());
  BOOL usedDefault = FALSE;
  const int length =
      WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text, size, nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return false;
  AnsiString bytes(static_cast<std::size_t>(length), '\0');
  if (WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text, size, bytes.data(), length, nullptr, &usedDefault) !=
          length ||
      usedDefault) {
    return false;
  }
  out += bytes;
  return true;
}

}  // namespace

// The whole text is converted at once; only a failure walks it character by
// character to find where.
std::optional<std::size_t> Decode(std::string_view gbk, WideString& out) {
  if (gbk.empty() || DecodeAll(gbk, out)) return std::nullopt;
  for (std::size_t pos = 0; pos < gbk.size();) {
    const bool lead = IsDBCSLeadByteEx(kCodePage, static_cast<BYTE>(gbk[pos])) != 0;
    const std::size_t length = lead && pos + 1 < gbk.size() ? 2 : 1;
    if (!DecodeAll(gbk.substr(pos, length), out)) return pos;
    pos += length;
  }
  return std::nullopt;
}

std::optional<std::size_t> Encode(std::u16string_view wide, AnsiString& out) {
  if (wide.empty() || EncodeAll(wide, out)) return std::nullopt;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (!EncodeAll(wide.substr(i, 1), out)) return i;
  }
  return std::nullopt;
}

}  // namespace rtl::cp936
