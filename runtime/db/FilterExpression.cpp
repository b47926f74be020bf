// Filter expressions: a lexer and recursive-descent parser into a flat node
// list, and three-valued evaluation against a row.
#include "runtime/db/FilterExpression.h"

#include <algorithm>

#include "runtime/except/Exceptions.h"
#include "runtime/text/Gbk.h"

namespace rtl {
namespace {

// Parentheses and NOTs nest at most this deep, so neither parsing nor
// evaluation can exhaust the stack on hostile text.
constexpr int kMaxDepth = 64;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
bool IsNamePart(char c) { return IsNameStart(c) || IsDigit(c); }

// Bytes of the character at pos: a double-byte GBK character is taken whole
// so that its second byte is never read as ']' or a letter; a malformed byte
// counts alone.
std::size_t CharLength(std::string_view text, std::size_t pos) {
  const std::size_t length = GbkCharLength(text, pos);
  return length == 0 ? 1 : length;
}

[[noreturn]] void Invalid(const AnsiString& what, std::size_t pos) {
  throw EDatabaseError("Invalid filter expression: " + what + " at position " +
                       IntToStr(static_cast<std::int64_t>(pos + 1)));
}

}  // namespace

class FilterExpression::Parser {
 public:
  Parser(std::string_view text, std::vector<Node>& nodes) : nodes_(nodes) { Lex(text); }

  void ParseAll() {
    if (Peek().kind == Token::Kind::End) return;  // blank: passes every row
    ParseOr(0);
    if (Peek().kind != Token::Kind::End) Invalid("unexpected '" + Peek().source + "'", Peek().pos);
  }

 private:
  struct Token {
    enum class Kind { End, Name, Bracketed, Number, Text, Operator, Open, Close } kind = Kind::End;
    AnsiString source;  // as written, for messages
    AnsiString text;    // a name or the text of a literal
    Decimal number;
    Op op = Op::Equal;
    std::size_t pos = 0;
  };

  void Lex(std::string_view s) {
    std::size_t i = 0;
    while (true) {
      while (i < s.size() && IsBlank(s[i])) ++i;
      Token t;
      t.pos = i;
      if (i == s.size()) {
        tokens_.push_back(t);
        return;
      }
      const char c = s[i];
      if (c == '(' || c == ')') {
        t.kind = c == '(' ? Token::Kind::Open : Token::Kind::Close;
        ++i;
      } else if (c == '[') {
        t.kind = Token::Kind::Bracketed;
        ++i;
        while (i < s.size() && s[i] != ']') {
          const std::size_t n = CharLength(s, i);
          t.text.append(s.substr(i, n));
          i += n;
        }
        if (i == s.size()) Invalid("missing ']'", t.pos);
        if (t.text.empty()) Invalid("empty field name", t.pos);
        ++i;
      } else if (c == '\'') {
        t.kind = Token::Kind::Text;
        ++i;
        while (true) {
          if (i == s.size()) Invalid("unterminated text", t.pos);
          if (s[i] == '\'') {
            if (i + 1 < s.size() && s[i + 1] == '\'') {
              t.text += '\'';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          const std::size_t n = CharLength(s, i);
          t.text.append(s.substr(i, n));
          i += n;
        }
      } else if (c == '=' || c == '<' || c == '>') {
        t.kind = Token::Kind::Operator;
        const char next = i + 1 < s.size() ? s[i + 1] : '\0';
        if (c == '<' && next == '>') {
          t.op = Op::NotEqual;
        } else if (c == '<' && next == '=') {
          t.op = Op::LessEqual;
        } else if (c == '>' && next == '=') {
          t.op = Op::GreaterEqual;
        } else {
          t.op = c == '=' ? Op::Equal : c == '<' ? Op::Less : Op::Greater;
        }
        i += t.op == Op::NotEqual || t.op == Op::LessEqual || t.op == Op::GreaterEqual ? 2 : 1;
      } else if (IsDigit(c) || c == '.' || c == '+' || c == '-') {
        t.kind = Token::Kind::Number;
        std::size_t end = i + 1;
        while (end < s.size() && (IsDigit(s[end]) || s[end] == '.')) ++end;
        const auto number = ParseDecimal(s.substr(i, end - i));
        if (!number) Invalid("invalid number '" + AnsiString(s.substr(i, end - i)) + "'", t.pos);
        t.number = *number;
        i = end;
      } else if (IsNameStart(c)) {
        t.kind = Token::Kind::Name;
        while (i < s.size() && IsNamePart(s[i])) i += CharLength(s, i);
        i = std::min(i, s.size());
        t.text = AnsiString(s.substr(t.pos, i - t.pos));
      } else {
        Invalid("unexpected character '" + AnsiString(1, c) + "'", t.pos);
      }
      t.source = AnsiString(s.substr(t.pos, i - t.pos));
      tokens_.push_back(std::move(t));
    }
  }

  const Token& Peek() const { return tokens_[next_]; }
  const Token& Take() {
    const Token& t = tokens_[next_];
    if (t.kind != Token::Kind::End) ++next_;
    return t;
  }
  bool IsKeyword(const Token& t, std::string_view word) const {
    return t.kind == Token::Kind::Name && SameText(t.text, word);
  }
  bool IsAnyKeyword(const Token& t) const { return IsKeyword(t, "AND") || IsKeyword(t, "OR") || IsKeyword(t, "NOT"); }

  std::size_t Add(Node node) {
    nodes_.push_back(std::move(node));
    return nodes_.size() - 1;
  }

  // A chain of the same operator becomes one node, so a long AND list does
  // not deepen the tree.
  std::size_t ParseOr(int depth) { return ParseChain(depth, "OR", Node::Kind::Or); }
  std::size_t ParseAnd(int depth) { return ParseChain(depth, "AND", Node::Kind::And); }

  std::size_t ParseChain(int depth, std::string_view keyword, Node::Kind kind) {
    std::vector<std::size_t> operands;
    operands.push_back(kind == Node::Kind::Or ? ParseAnd(depth) : ParseNot(depth));
    while (IsKeyword(Peek(), keyword)) {
      Take();
      operands.push_back(kind == Node::Kind::Or ? ParseAnd(depth) : ParseNot(depth));
    }
    if (operands.size() == 1) return operands.front();
    Node node;
    node.kind = kind;
    node.children = std::move(operands);
    return Add(std::move(node));
  }

  std::size_t ParseNot(int depth) {
    const Token& t = Peek();
    if (IsKeyword(t, "NOT") || t.kind == Token::Kind::Open) {
      if (depth >= kMaxDepth) Invalid("nesting too deep", t.pos);
      Take();
      if (t.kind == Token::Kind::Open) {
        const std::size_t inner = ParseOr(depth + 1);
        if (Peek().kind != Token::Kind::Close) Invalid("expected ')'", Peek().pos);
        Take();
        return inner;
      }
      Node node;
      node.kind = Node::Kind::Not;
      node.children.push_back(ParseNot(depth + 1));
      return Add(std::move(node));
    }
    return ParseComparison();
  }

  std::size_t ParseComparison() {
    const Token& field = Take();
    if (field.kind != Token::Kind::Bracketed && (field.kind != Token::Kind::Name || IsAnyKeyword(field))) {
      Invalid("expected a field name", field.pos);
    }
    const Token& op = Take();
    if (op.kind != Token::Kind::Operator) Invalid("expected a comparison operator", op.pos);
    const Token& literal = Take();
    if (literal.kind != Token::Kind::Number && literal.kind != Token::Kind::Text) {
      Invalid("expected a number or a quoted text", literal.pos);
    }
    Node node;
    node.fieldName = field.text;
    node.op = op.op;
    node.literal.isText = literal.kind == Token::Kind::Text;
    node.literal.text = literal.text;
    node.literal.number = literal.number;
    return Add(std::move(node));
  }

  std::vector<Node>& nodes_;
  std::vector<Token> tokens_;
  std::size_t next_ = 0;
};

FilterExpression FilterExpression::Parse(std::string_view text) {
  FilterExpression expression;
  Parser(text, expression.nodes_).ParseAll();
  return expression;
}

void FilterExpression::Bind(const std::vector<FieldDef>& fields) {
  bound_ = false;
  for (Node& node : nodes_) {
    if (node.kind != Node::Kind::Compare) continue;
    const auto index = FindFieldIndex(fields, node.fieldName);
    if (!index) throw EDatabaseError("Field '" + node.fieldName + "' not found");
    node.field = *index;
  }
  bound_ = true;
}

bool FilterExpression::Matches(const Row& row) const {
  if (!bound_) throw EDatabaseError("Filter used before its fields were bound");
  return nodes_.empty() || Evaluate(nodes_.size() - 1, row) == Truth::True;
}

FilterExpression::Truth FilterExpression::Evaluate(std::size_t index, const Row& row) const {
  const Node& node = nodes_[index];
  switch (node.kind) {
    case Node::Kind::Compare:
      if (node.field >= row.size()) throw EDatabaseError("Row does not have the filter's fields");
      return Compare(node, row[node.field]);
    case Node::Kind::Not: {
      const Truth t = Evaluate(node.children.front(), row);
      return t == Truth::Unknown ? t : t == Truth::True ? Truth::False : Truth::True;
    }
    case Node::Kind::And:
    case Node::Kind::Or: {
      // AND stops at a false operand, OR at a true one; otherwise an unknown
      // operand makes the whole unknown.
      const Truth decisive = node.kind == Node::Kind::And ? Truth::False : Truth::True;
      Truth result = node.kind == Node::Kind::And ? Truth::True : Truth::False;
      for (std::size_t child : node.children) {
        const Truth t = Evaluate(child, row);
        if (t == decisive) return t;
        if (t == Truth::Unknown) result = t;
      }
      return result;
    }
  }
  return Truth::Unknown;
}

FilterExpression::Truth FilterExpression::Compare(const Node& node, const Variant& value) {
  if (value.IsNull()) return Truth::Unknown;
  std::partial_ordering order = std::partial_ordering::unordered;
  if (node.literal.isText) {
    order = value.AsString() <=> node.literal.text;
  } else if (const auto number = NumberOf(value)) {
    order = CompareDecimals(*number, node.literal.number);
  }
  if (order == std::partial_ordering::unordered) return Truth::Unknown;
  bool result = false;
  switch (node.op) {
    case Op::Equal: result = std::is_eq(order); break;
    case Op::NotEqual: result = std::is_neq(order); break;
    case Op::Less: result = std::is_lt(order); break;
    case Op::Greater: result = std::is_gt(order); break;
    case Op::LessEqual: result = std::is_lteq(order); break;
    case Op::GreaterEqual: result = std::is_gteq(order); break;
  }
  return result ? Truth::True : Truth::False;
}

}  // namespace rtl
