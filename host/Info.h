// The host's report about a library: its module descriptor, version
// information and icon ("info").
#pragma once

#include <ostream>
#include <string>

namespace host {

// Prints what the library tells about itself; returns the exit status.
int ShowInfo(const std::string& library, std::ostream& out);

// Draws an icon image with coloured half blocks, two pixel rows per line.
void DrawIcon(const struct IconPicture& icon, std::ostream& out);

}  // namespace host
