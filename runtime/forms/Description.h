// Form descriptions: the layout, properties and event bindings of a form as
// text. The build stores each as GBK text in its module's resources under
// the form class's name.
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
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/components/Properties.h"

namespace rtl {

class TCustomForm;

struct DescriptionNode {
  bool inherited = false;
  std::string name;
  std::string className;
  int line = 0;
  std::vector<std::pair<std::string, PropertyValue>> properties;
  std::vector<DescriptionNode> children;
};

// Parses a description; raises EReadError naming the line of a syntax error.
DescriptionNode ParseDescription(std::string_view text);

// Applies a parsed description to form: creates the components it lists,
// binds them to the form's published fields, sets their properties and binds
// their events to the form's published methods. Raises EReadError for an
// unknown class, property or handler.
void ApplyDescription(TCustomForm& form, const DescriptionNode& root);

}  // namespace rtl
