#include "runtime/text/Text.h"

#include <charconv>

#include "runtime/except/Exceptions.h"

namespace rtl {

namespace {
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }
}  // namespace

AnsiString Trim(std::string_view s) {
  std::size_t first = 0;
  std::size_t last = s.size();
  while (first < last && IsBlankOrControl(s[first])) ++first;
  while (last > first && IsBlankOrControl(s[last - 1])) --last;
  return AnsiString(s.substr(first, last - first));
}

AnsiString QuotedStr(std::string_view s) {
  AnsiString result;
  result.reserve(s.size() + 2);
  result += '\'';
  for (char c : s) {
    if (c == '\'') result += '\'';
    result += c;
  }
  result += '\'';
  return result;
}

AnsiString UpperCase(std::string_view s) {
  AnsiString result(s);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

AnsiString IntToStr(std::int64_t value) {
  char buffer[24];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return AnsiString(buffer, end);
}

std::int32_t StrToInt(std::string_view s) {
  std::string_view digits = s;
  const bool plus = !digits.empty() && digits.front() == '+';
  if (plus) digits.remove_prefix(1);
  std::int32_t value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  // One sign at most: from_chars would take the minus of "+-1".
  if (digits.empty() || (plus && digits.front() == '-') || error != std::errc() ||
      end != digits.data() + digits.size()) {
    throw EConvertError("'" + AnsiString(s) + "' is not a valid integer value");
  }
  return value;
}

}  // namespace rtl

namespace rtl {
bool SameText(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}
}  // namespace rtl
