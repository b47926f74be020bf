// Text helpers shared by the build-time generators: reading files,
// converting UTF-8 with the build machine's iconv, and the escapes of the
// string data files (\r \n \t \\ and nothing else).
#pragma once

#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace tooltext {

[[noreturn]] inline void Fail(const std::string& message) { throw std::runtime_error(message); }

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot read " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Converts UTF-8 text to the encoding `to` ("CP936", "UTF-16LE"); fails,
// naming what, for text that encoding cannot hold.
inline std::string Convert(const std::string& utf8, const char* to, const std::string& what) {
  iconv_t cd = iconv_open(to, "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) Fail(std::string("no iconv converter to ") + to);
  std::string out(utf8.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) {
    Fail(what + ": text at byte " + std::to_string(utf8.size() - inLeft) + " cannot be converted to " + to);
  }
  out.resize(out.size() - outLeft);
  return out;
}

inline std::string ToGbk(const std::string& utf8, const std::string& what) { return Convert(utf8, "CP936", what); }
inline std::string ToUtf16(const std::string& utf8, const std::string& what) { return Convert(utf8, "UTF-16LE", what); }

inline std::string Unescape(const std::string& text, const std::string& where) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i >= text.size()) Fail(where + ": backslash at the end of a text");
    switch (text[i]) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case '\\': out += '\\'; break;
      default: Fail(where + ": unknown escape \\" + std::string(1, text[i]));
    }
  }
  return out;
}

inline std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out;
}

}  // namespace tooltext
