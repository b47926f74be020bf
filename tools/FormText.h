// Form descriptions as text, the form their authors write, compiled into
// the binary form that modules carry (runtime/forms/FormStream.h). Used by
// rescomp at build time and by tests that describe forms in text.
//
//   object EditForm: TEditForm          (or: inherited EditForm: TEditForm)
//     Caption = '修改'                    text: quoted, '' for a quote, #13 for a
//     Width = 342                          character code, + to join pieces
//     BorderIcons = [biSystemMenu]         set of identifiers
//     OnShow = FormShow                    event bound to a published method
//     Picture.Data = {0A0B...}             binary data in hex digits
//     object btnOK: TButton                a component owned by the form; nested
//       Caption = '确定'                    under its parent control
//     end
//   end
//
// The text is taken as bytes: quoted texts keep their bytes as they are
// (rescomp hands in GBK). // starts a comment that runs to the line end.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace formtext {

class SyntaxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The binary form of a description; raises SyntaxError ("Form description
// line N: ...") for a syntax error or objects nested deeper than the binary
// form allows.
std::vector<std::uint8_t> Compile(std::string_view text);

}  // namespace formtext
