#include "runtime/boundary/UserMessage.h"

#include <new>

#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace rtl {
namespace {

constexpr const char8_t* kGeneral = u8"操作未能完成：程序内部出错。";

template <class Kind>
bool Is(const std::exception& e) {
  return dynamic_cast<const Kind*>(&e) != nullptr;
}

// The general texts by kind, the more particular kinds first.
const char8_t* GeneralTextOf(const std::exception& e) {
  if (Is<std::bad_alloc>(e)) return u8"内存不足，操作未能完成。";
  if (Is<EConvertError>(e)) return u8"数据格式不正确，无法转换。";
  if (Is<EVariantError>(e)) return u8"数据类型不符，无法处理。";
  if (Is<EDatabaseError>(e)) return u8"数据访问出错。";
  if (Is<EOleSysError>(e)) return u8"调用宿主服务失败。";
  if (Is<EReadError>(e) || Is<EResNotFound>(e)) return u8"读取程序资源时出错。";
  return kGeneral;
}

}  // namespace

AnsiString UserMessageOf(const std::exception& e) {
  if (const auto* own = dynamic_cast<const Exception*>(&e); own != nullptr && !own->UserMessage().empty()) {
    return own->UserMessage();
  }
  return PersonText(GeneralTextOf(e));
}

AnsiString UserMessageOfCurrentException() {
  try {
    throw;
  } catch (const std::exception& e) {
    return UserMessageOf(e);
  } catch (...) {
    return PersonText(kGeneral);
  }
}

AnsiString DetailOfCurrentException() {
  try {
    throw;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
}

}  // namespace rtl
