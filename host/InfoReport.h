// The host's report about a library: its module descriptor, version
// information and icon ("info").
#pragma once

#include <ostream>
#include <string>

#include "host/loader/Pictures.h"

namespace host {

// Prints what the library tells about itself; returns the exit status.
int ShowInfo(const std::string& library, std::ostream& out);

// Draws a picture with coloured half blocks, two pixel rows per line.
void DrawIcon(const Picture& icon, std::ostream& out);

}  // namespace host
