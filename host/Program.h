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
void PrepareConsole();

}  // namespace host::platform
