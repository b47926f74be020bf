// A dataset filter: parses the text of a Filter and tells which rows it lets
// through.
//
//   expression  := or
//   or          := and { OR and }
//   and         := not { AND not }
//   not         := NOT not | '(' or ')' | comparison
//   comparison  := field op literal      op: = <> < > <= >=
//   field       := name | '[' any text but ']' ']'
//   literal     := number | 'text'       ('' inside stands for one quote)
//
// Keywords and field names ignore ASCII case. A number literal compared with
// a text field reads the field's text as a number; a text literal compared
// with a non-text field compares the field's text form (decimal digits,
// True/False). Text compares byte by byte, case-sensitively.
//
// Comparisons have three outcomes: true, false, or unknown when the field is
// Null or its text is not a number where one is needed. NOT and AND/OR treat
// unknown as SQL does, and only rows whose whole expression is true pass, so
// a Null value matches neither "X = 1" nor "X <> 1" nor "NOT (X = 1)".
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "runtime/db/FieldTypes.h"

namespace rtl {

class FilterExpression {
 public:
  // Raises EDatabaseError for text that is not an expression. Blank text
  // gives the expression that passes every row.
  static FilterExpression Parse(std::string_view text);

  // Resolves the field names against fields; raises EDatabaseError
  // ("Field 'x' not found"). Must precede Matches, and be repeated when the
  // fields change.
  void Bind(const std::vector<FieldDef>& fields);

  // True when the row passes; the row has one value per bound field.
  bool Matches(const Row& row) const;

 private:
  enum class Truth { False, True, Unknown };
  enum class Op { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };
  struct Literal {
    bool isText = false;
    AnsiString text;
    Decimal number;
  };
  struct Node {
    enum class Kind { And, Or, Not, Compare } kind = Kind::Compare;
    std::vector<std::size_t> children;  // And, Or: two or more; Not: one
    AnsiString fieldName;               // Compare
    std::size_t field = 0;              // the bound field's index
    Op op = Op::Equal;
    Literal literal;
  };
  class Parser;

  Truth Evaluate(std::size_t index, const Row& row) const;
  static Truth Compare(const Node& node, const Variant& value);

  std::vector<Node> nodes_;  // the root is nodes_.back(); none for blank text
  bool bound_ = false;
};

}  // namespace rtl
