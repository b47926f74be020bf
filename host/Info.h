// The host's reports about a library: its module descriptor, version
// information and icon ("info"), and the component suite's resource strings
// as a translator sees them ("strings").
#pragma once

#include <ostream>
#include <string>

namespace host {

// Prints what the library tells about itself; returns the exit status.
int ShowInfo(const std::string& library, std::ostream& out);

// Prints every product's strings whose name or text contains filter:
// product, name, id, default text, current text. Returns the exit status.
int ListStrings(const std::string& library, const std::string& filter, std::ostream& out);

// Draws an icon image with coloured half blocks, two pixel rows per line.
void DrawIcon(const struct IconPicture& icon, std::ostream& out);

}  // namespace host
