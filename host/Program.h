// Where the host program is and how it talks to its console.
#pragma once

#include <string>
#include <vector>

namespace host::platform {

// The library of an edition ("context" or "automation") that goes with this
// program: <prefix>/lib/velmora/<edition>/Velmora.so in an installed tree,
// build/<edition>/Velmora.so beside build/bin in the build tree; on Windows
// <edition>\Velmora.dll in the program's own folder, in the build and in
// the package alike.
std::string EditionLibraryBeside(const char* argv0, const char* edition);

// The program's arguments as UTF-8. On Windows they are read again from the
// wide command line: the narrow argv holds only what the ANSI code page can,
// and would turn the rest into question marks.
std::vector<std::string> Arguments(int argc, char** argv);

// Makes the console show the program's UTF-8 output where it needs telling.
// On Windows the program is a windowed one: its output goes to the files
// or pipes its parent handed it, else to the console it was started from
// (if any). Ctrl+C, closing that console, logging off and shutting down end
// a dialog being shown as its close box does, and the program then ends
// with its normal clean-up.
void PrepareConsole();

}  // namespace host::platform
