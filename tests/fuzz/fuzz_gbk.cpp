// GBK conversions: the strict ones refuse the bytes or give text that turns
// back into exactly those bytes; the display conversion never refuses and
// gives well-formed UTF-8; the character walkers stay inside the text.
#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"
#include "runtime/text/Unicode.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = fuzz::Text(data, size);
  try {
    const rtl::WideString wide = rtl::GbkToWide(bytes);
    fuzz::Require(rtl::WideToGbk(wide) == bytes, "GBK to UTF-16 and back gives the same bytes");
    fuzz::Require(rtl::Utf8ToGbk(rtl::GbkToUtf8(bytes)) == bytes, "GBK to UTF-8 and back gives the same bytes");
  } catch (const rtl::EConvertError&) {
  }
  rtl::Utf8ToWide(rtl::GbkToUtf8Display(bytes));  // raises, and so fails, on malformed UTF-8

  for (std::size_t pos = 0; pos < size;) {
    const std::size_t length = rtl::GbkCharLength(bytes, pos);
    fuzz::Require(length <= size - pos, "a character lies inside the text");
    pos += length == 0 ? 1 : length;
  }
  fuzz::Require(rtl::GbkLastCharLength(bytes) <= size, "the last character lies inside the text");
  rtl::GbkDisplayWidth(bytes);

  const std::u16string units = fuzz::CodeUnits(data, size);
  try {
    const rtl::AnsiString gbk = rtl::WideToGbk(units);
    fuzz::Require(rtl::GbkToWide(gbk) == units, "UTF-16 to GBK and back gives the same text");
  } catch (const rtl::EConvertError&) {
  }
  return 0;
}
