#include "host/frontends/TerminalText.h"

#include "runtime/text/Gbk.h"

namespace host {

std::string TerminalUtf8(std::string_view utf8) {
  const char* const replacement = reinterpret_cast<const char*>(u8"\uFFFD");
  std::string out;
  out.reserve(utf8.size());
  for (const char c : utf8) {
    // Control characters are single bytes in UTF-8, never part of a longer sequence.
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out += replacement;
    } else {
      out += c;
    }
  }
  return out;
}

std::string TerminalText(std::string_view gbk) { return TerminalUtf8(rtl::GbkToUtf8Display(gbk)); }

std::string MessageLine(std::string_view gbk, rtl::TMsgKind kind) {
  const char* name = "message";
  switch (kind) {
    case rtl::TMsgKind::Information: name = "information"; break;
    case rtl::TMsgKind::Warning: name = "warning"; break;
    case rtl::TMsgKind::Error: name = "error"; break;
  }
  return std::string("[") + name + "] " + TerminalText(gbk);
}

}  // namespace host
