// Failure messages: GBK and wide text made readable (quoted UTF-8), "expected
// X, got Y" for them, and the naming of table-driven cases.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/forms/FrontEnd.h"
#include "runtime/text/Text.h"

namespace velmora::test {

// A u8"" literal as the plain UTF-8 text it holds.
inline std::string Utf8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

std::string Readable(const rtl::AnsiString& gbk);
std::string Readable(const rtl::WideString& wide);
std::string Readable(rtl::TMsgKind kind);

template <class T>
std::string Readable(const std::vector<T>& items) {
  std::string out = "[";
  for (const T& item : items) out.append(out.size() > 1 ? ", " : "").append(Readable(item));
  return out + "]";
}

template <class V>
std::string Readable(const std::map<std::string, V>& items) {
  std::string out = "{";
  for (const auto& [name, value] : items) out.append(out.size() > 1 ? ", " : "").append(name + "=" + Readable(value));
  return out + "}";
}

template <class T>
std::string ExpectedGot(const T& expected, const T& got) {
  return "expected " + Readable(expected) + ", got " + Readable(got);
}

// Names parameterised tests after their case's name field.
struct CaseName {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& param) const {
    return param.param.name;
  }
};

}  // namespace velmora::test
