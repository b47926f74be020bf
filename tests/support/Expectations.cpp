#include "tests/support/Expectations.h"

#include "tests/support/DialogDriver.h"

namespace velmora::test {

std::string ExpectedGot(const std::vector<rtl::AnsiString>& expected, const std::vector<rtl::AnsiString>& got) {
  return "expected " + Readable(expected) + ", got " + Readable(got);
}

std::string ExpectedGot(const std::map<std::string, rtl::AnsiString>& expected,
                        const std::map<std::string, rtl::AnsiString>& got) {
  auto text = [](const std::map<std::string, rtl::AnsiString>& m) {
    std::string out = "{";
    for (const auto& [name, value] : m) out += (out.size() > 1 ? ", " : "") + name + "=" + Readable(value);
    return out + "}";
  };
  return "expected " + text(expected) + ", got " + text(got);
}

std::string ExpectedGot(const std::vector<rtl::WideString>& expected, const std::vector<rtl::WideString>& got) {
  auto text = [](const std::vector<rtl::WideString>& v) {
    std::string out = "[";
    for (const rtl::WideString& s : v) out += (out.size() > 1 ? ", " : "") + Readable(s);
    return out + "]";
  };
  return "expected " + text(expected) + ", got " + text(got);
}

}  // namespace velmora::test
