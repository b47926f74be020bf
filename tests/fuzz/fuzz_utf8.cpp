// UTF-8 and UTF-16 conversions: each refuses malformed text or gives text
// that turns back into exactly its input.
#include "runtime/except/Exceptions.h"
#include "runtime/text/Unicode.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::Text(data, size);
  try {
    fuzz::Require(rtl::WideToUtf8(rtl::Utf8ToWide(bytes)) == bytes, "UTF-8 to UTF-16 and back gives the same bytes");
  } catch (const rtl::EConvertError&) {
  }
  const std::u16string units = fuzz::CodeUnits(data, size);
  try {
    fuzz::Require(rtl::Utf8ToWide(rtl::WideToUtf8(units)) == units, "UTF-16 to UTF-8 and back gives the same text");
  } catch (const rtl::EConvertError&) {
  }
  return 0;
}
