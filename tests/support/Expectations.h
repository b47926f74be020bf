// Failure messages of the form "expected X, got Y" for the values the tests
// compare most (GBK texts, edits by name, wide SQL texts), and the naming of
// table-driven cases.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "runtime/text/Text.h"

namespace velmora::test {

// Names parameterised tests after their case's name field.
struct CaseName {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& param) const {
    return param.param.name;
  }
};

std::string ExpectedGot(const std::vector<rtl::AnsiString>& expected, const std::vector<rtl::AnsiString>& got);
std::string ExpectedGot(const std::map<std::string, rtl::AnsiString>& expected,
                        const std::map<std::string, rtl::AnsiString>& got);
std::string ExpectedGot(const std::vector<rtl::WideString>& expected, const std::vector<rtl::WideString>& got);

}  // namespace velmora::test
