// The command line and file names as UTF-8 on every system, for the command-line tools.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace amplix {

// The arguments after the program's name. Windows hands main() its arguments in the ANSI code
// page, which loses every character outside it, so there they are taken from the wide command line.
std::vector<std::string> utf8Arguments(int argc, char** argv);

// A path for a name given in UTF-8. A narrow name would be read in the ANSI code page on Windows.
std::filesystem::path pathFromUtf8(const std::string& name);

// Where standard output is a Windows console, makes it show UTF-8 as such; elsewhere nothing.
void useUtf8Console();

} // namespace amplix
