#include "runtime/forms/Description.h"

#include <cctype>
#include <charconv>

#include "runtime/components/Classes.h"
#include "runtime/except/Exceptions.h"
#include "runtime/forms/Form.h"

namespace rtl {
namespace {

// Components nest at most this deep, so neither reading nor applying a
// description can exhaust the stack on hostile text.
constexpr int kMaxDepth = 64;

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  DescriptionNode ParseRoot() {
    SkipSpace();
    DescriptionNode root = ParseObject();
    SkipSpace();
    if (pos_ != text_.size()) Fail("text after the final end");
    return root;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw EReadError("Form description line " + std::to_string(line_) + ": " + what);
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

  DescriptionNode ParseObject() {
    if (++depth_ > kMaxDepth) Fail("components nested too deeply");
    DescriptionNode node;
    node.line = line_;
    if (PeekWord("inherited")) {
      node.inherited = true;
      pos_ += 9;
    } else if (PeekWord("object")) {
      pos_ += 6;
    } else {
      Fail("'object' or 'inherited' expected");
    }
    node.name = Identifier();
    Expect(':');
    node.className = Identifier();
    for (;;) {
      SkipSpace();
      if (pos_ >= text_.size()) Fail("'end' expected");
      if (PeekWord("end")) {
        pos_ += 3;
        --depth_;
        return node;
      }
      if (PeekWord("object") || PeekWord("inherited")) {
        node.children.push_back(ParseObject());
        continue;
      }
      std::string name = DottedName();
      Expect('=');
      node.properties.emplace_back(std::move(name), ParseValue());
    }
  }

  PropertyValue ParseValue() {
    SkipSpace();
    if (pos_ >= text_.size()) Fail("value expected");
    const char c = text_[pos_];
    if (c == '\'' || c == '#') return PropertyValue::Text(ParseText());
    if (c == '[') return PropertyValue::Set(ParseSet());
    if (c == '{') return PropertyValue::Binary(ParseBinary());
    if (c == '-' || c == '+' || std::isdigit(static_cast<unsigned char>(c)) != 0) return ParseNumber();
    return PropertyValue::Identifier(Identifier());
  }

  PropertyValue ParseNumber() {
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
      return PropertyValue::Float();
    }
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size()) Fail("bad number");
    return PropertyValue::Integer(value);
  }

  // 'quoted' pieces and #code characters, optionally joined by '+' across lines.
  std::string ParseText() {
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

  std::vector<AnsiString> ParseSet() {
    Expect('[');
    std::vector<AnsiString> items;
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == ']') {
      ++pos_;
      return items;
    }
    for (;;) {
      items.push_back(Identifier());
      SkipSpace();
      if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        continue;
      }
      Expect(']');
      return items;
    }
  }

  std::vector<std::uint8_t> ParseBinary() {
    Expect('{');
    std::vector<std::uint8_t> bytes;
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
  int depth_ = 0;
};

[[noreturn]] void RaiseProperty(const TComponent& component, const std::string& property, const char* what) {
  const std::string owner = component.Name().empty() ? component.ClassName() : component.Name();
  throw EReadError("Error reading " + owner + "." + property + ": " + what);
}

void ApplyProperties(TCustomForm& form, TComponent& component, const DescriptionNode& node) {
  for (const auto& [name, value] : node.properties) {
    bool known = false;
    try {
      if (name.starts_with("On") && value.GetKind() == PropertyValue::Kind::Identifier) {
        const PublishedMethod* method = form.FindMethod(value.AsIdentifier());
        if (method == nullptr) RaiseProperty(component, name, ("no published method " + value.AsIdentifier()).c_str());
        known = component.SetEvent(name, *method);
      } else {
        known = component.SetProperty(name, value);
      }
    } catch (const EReadError& e) {
      if (std::string_view(e.Message()).starts_with("Error reading")) throw;
      RaiseProperty(component, name, e.what());
    } catch (const Exception& e) {
      RaiseProperty(component, name, e.what());
    }
    if (!known) RaiseProperty(component, name, ("property " + name + " does not exist").c_str());
  }
}

void ApplyChildren(TCustomForm& form, TComponent& parent, const DescriptionNode& node) {
  for (const DescriptionNode& child : node.children) {
    TComponent* component = nullptr;
    if (child.inherited) {
      component = form.FindComponent(child.name);
      if (component == nullptr) throw EReadError("Inherited component " + child.name + " not found");
    } else {
      if (form.FindComponent(child.name) != nullptr)
        throw EReadError("A component named " + child.name + " already exists");
      component = CreateComponentOfClass(child.className, form);
      component->SetName(child.name);
      form.BindField(component);
      if (&parent != &form && !parent.AdoptChild(component)) {
        throw EReadError(child.name + " cannot be placed on " + parent.Name());
      }
      if (&parent == &form) form.AdoptChild(component);
    }
    ApplyProperties(form, *component, child);
    ApplyChildren(form, *component, child);
  }
}

}  // namespace

DescriptionNode ParseDescription(std::string_view text) { return Parser(text).ParseRoot(); }

void ApplyDescription(TCustomForm& form, const DescriptionNode& root) {
  ApplyProperties(form, form, root);
  ApplyChildren(form, form, root);
}

}  // namespace rtl
