// Compiled form descriptions: any bytes are refused with EReadError or read,
// never read beyond their end, and a read description applied to a bare
// form builds it or is refused with one of the runtime's exceptions; nothing
// leaks either way.
#include <span>

#include "runtime/except/Exceptions.h"
#include "runtime/forms/Description.h"
#include "runtime/forms/Form.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

// A form without published fields or methods: every component the description names is created.
class TFuzzForm : public rtl::TForm {
 public:
  TFuzzForm() : TForm(nullptr) {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rtl::DescriptionNode root;
  try {
    root = rtl::ReadDescription(std::span<const std::uint8_t>(data, size));
  } catch (const rtl::EReadError&) {
    return 0;
  }
  try {
    const auto form = rtl::MakeOwned<TFuzzForm>();
    rtl::ApplyDescription(*form, root);
  } catch (const rtl::Exception&) {
  }
  return 0;
}
