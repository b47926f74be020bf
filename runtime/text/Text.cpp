#include "runtime/text/Text.h"

#include <algorithm>
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
  for (char& c : result) c = UpCase(c);
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

bool SameText(std::string_view a, std::string_view b) noexcept {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return UpCase(x) == UpCase(y); });
}

}  // namespace rtl
