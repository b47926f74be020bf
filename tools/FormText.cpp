#include "FormText.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <string>

#include "runtime/forms/FormStream.h"

namespace formtext {
namespace {

using Bytes = std::vector<std::uint8_t>;
using formstream::Tag;

void Put(Bytes& b, std::uint64_t v, int size) {
  for (int i = 0; i < size; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

class Compiler {
 public:
  explicit Compiler(std::string_view text) : text_(text) {}

  Bytes Run() {
    Bytes out(std::begin(formstream::kMagic), std::end(formstream::kMagic));
    out.push_back(formstream::kVersion);
    SkipSpace();
    const Bytes root = Object(1);
    SkipSpace();
    if (pos_ != text_.size()) Fail("text after the final end");
    out.insert(out.end(), root.begin(), root.end());
    return out;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw SyntaxError("Form description line " + std::to_string(line_) + ": " + what);
  }

  void SkipSpace() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++pos_;
      } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }

  static bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

  std::string Identifier() {
    SkipSpace();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
    if (start == pos_) Fail("identifier expected");
    return std::string(text_.substr(start, pos_ - start));
  }

  // A property name: identifiers joined by dots.
  std::string DottedName() {
    std::string name = Identifier();
    while (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      name += '.';
      name += Identifier();
    }
    return name;
  }

  void Expect(char c) {
    SkipSpace();
    if (pos_ >= text_.size() || text_[pos_] != c) Fail(std::string("'") + c + "' expected");
    ++pos_;
  }

  bool PeekWord(std::string_view word) {
    SkipSpace();
    if (text_.substr(pos_, word.size()) != word) return false;
    const std::size_t after = pos_ + word.size();
    return after >= text_.size() || !IsIdentChar(text_[after]);
  }

  void PutName(Bytes& b, const std::string& name) {
    if (name.size() > 255) Fail("name longer than 255 characters");
    b.push_back(static_cast<std::uint8_t>(name.size()));
    b.insert(b.end(), name.begin(), name.end());
  }

  void PutCount(Bytes& b, std::size_t count, const char* what) {
    if (count > 0xFFFF) Fail(std::string("more than 65535 ") + what);
    Put(b, count, 2);
  }

  Bytes Object(int depth) {
    if (depth > formstream::kMaxDepth) Fail("components nested too deeply");
    Bytes head;
    if (PeekWord("inherited")) {
      head.push_back(static_cast<std::uint8_t>(formstream::ObjectKind::Inherited));
      pos_ += 9;
    } else if (PeekWord("object")) {
      head.push_back(static_cast<std::uint8_t>(formstream::ObjectKind::Object));
      pos_ += 6;
    } else {
      Fail("'object' or 'inherited' expected");
    }
    PutName(head, Identifier());
    Expect(':');
    PutName(head, Identifier());
    Bytes properties, children;
    std::size_t propertyCount = 0, childCount = 0;
    for (;;) {
      SkipSpace();
      if (pos_ >= text_.size()) Fail("'end' expected");
      if (PeekWord("end")) {
        pos_ += 3;
        break;
      }
      if (PeekWord("object") || PeekWord("inherited")) {
        const Bytes child = Object(depth + 1);
        children.insert(children.end(), child.begin(), child.end());
        ++childCount;
        continue;
      }
      PutName(properties, DottedName());
      Expect('=');
      Value(properties);
      ++propertyCount;
    }
    PutCount(head, propertyCount, "properties");
    head.insert(head.end(), properties.begin(), properties.end());
    PutCount(head, childCount, "components");
    head.insert(head.end(), children.begin(), children.end());
    return head;
  }

  void Value(Bytes& b) {
    SkipSpace();
    if (pos_ >= text_.size()) Fail("value expected");
    const char c = text_[pos_];
    if (c == '\'' || c == '#') {
      const std::string text = Text();
      b.push_back(static_cast<std::uint8_t>(Tag::Text));
      PutLength(b, text.size());
      b.insert(b.end(), text.begin(), text.end());
    } else if (c == '[') {
      Set(b);
    } else if (c == '{') {
      const Bytes data = Binary();
      b.push_back(static_cast<std::uint8_t>(Tag::Binary));
      PutLength(b, data.size());
      b.insert(b.end(), data.begin(), data.end());
    } else if (c == '-' || c == '+' || std::isdigit(static_cast<unsigned char>(c)) != 0) {
      Number(b);
    } else {
      b.push_back(static_cast<std::uint8_t>(Tag::Identifier));
      PutName(b, Identifier());
    }
  }

  void PutLength(Bytes& b, std::size_t length) {
    if (length > 0xFFFFFFFFu) Fail("value longer than 4 GiB");
    Put(b, length, 4);
  }

  void Number(Bytes& b) {
    const std::size_t start = pos_;
    if (text_[pos_] == '-' || text_[pos_] == '+') ++pos_;
    bool isFloat = false;
    while (pos_ < text_.size() && (std::isdigit(static_cast<unsigned char>(text_[pos_])) != 0 || text_[pos_] == '.')) {
      isFloat = isFloat || text_[pos_] == '.';
      ++pos_;
    }
    std::string_view number = text_.substr(start, pos_ - start);
    if (!number.empty() && number.front() == '+') number.remove_prefix(1);
    if (isFloat) {
      double value = 0;
      auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
      if (error != std::errc() || end != number.data() + number.size()) Fail("bad number");
      std::uint64_t bits = 0;
      std::memcpy(&bits, &value, sizeof bits);
      b.push_back(static_cast<std::uint8_t>(Tag::Float));
      Put(b, bits, 8);
      return;
    }
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size()) Fail("bad number");
    b.push_back(static_cast<std::uint8_t>(Tag::Integer));
    Put(b, static_cast<std::uint64_t>(value), 8);
  }

  // 'quoted' pieces and #code characters, optionally joined by '+' across lines.
  std::string Text() {
    std::string result;
    for (;;) {
      SkipSpace();
      if (pos_ < text_.size() && text_[pos_] == '\'') {
        ++pos_;
        for (;;) {
          if (pos_ >= text_.size() || text_[pos_] == '\n') Fail("unterminated text");
          if (text_[pos_] == '\'') {
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
              result += '\'';
              pos_ += 2;
              continue;
            }
            ++pos_;
            break;
          }
          result += text_[pos_++];
        }
      } else if (pos_ < text_.size() && text_[pos_] == '#') {
        ++pos_;
        const std::size_t start = pos_;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])) != 0) ++pos_;
        unsigned code = 0;
        auto [end, error] = std::from_chars(text_.data() + start, text_.data() + pos_, code);
        if (start == pos_ || error != std::errc() || code > 255) Fail("bad character code");
        result += static_cast<char>(code);
      } else {
        Fail("text expected");
      }
      SkipSpace();
      if (pos_ < text_.size() && (text_[pos_] == '\'' || text_[pos_] == '#')) continue;
      if (pos_ < text_.size() && text_[pos_] == '+') {
        ++pos_;
        continue;
      }
      return result;
    }
  }

  void Set(Bytes& b) {
    Expect('[');
    Bytes items;
    std::size_t count = 0;
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == ']') {
      ++pos_;
    } else {
      for (;;) {
        PutName(items, Identifier());
        ++count;
        SkipSpace();
        if (pos_ < text_.size() && text_[pos_] == ',') {
          ++pos_;
          continue;
        }
        Expect(']');
        break;
      }
    }
    b.push_back(static_cast<std::uint8_t>(Tag::Set));
    PutCount(b, count, "set items");
    b.insert(b.end(), items.begin(), items.end());
  }

  Bytes Binary() {
    Expect('{');
    Bytes bytes;
    int high = -1;
    for (;;) {
      SkipSpace();
      if (pos_ >= text_.size()) Fail("'}' expected");
      const char c = text_[pos_++];
      if (c == '}') break;
      int digit = -1;
      if (c >= '0' && c <= '9') digit = c - '0';
      else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      else Fail("hexadecimal digit expected");
      if (high < 0) {
        high = digit;
      } else {
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | digit));
        high = -1;
      }
    }
    if (high >= 0) Fail("odd number of hexadecimal digits");
    return bytes;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace

std::vector<std::uint8_t> Compile(std::string_view text) { return Compiler(text).Run(); }

}  // namespace formtext
