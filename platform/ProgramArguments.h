// A program's own arguments in the component's text, UTF-8: the command
// and the reader program take paths and names that may hold any letter.
#pragma once

#include <string>
#include <vector>

namespace viruzedi {

// The arguments of `main`, the program's name first. On Windows they are
// read anew from the process's wide command line: main's own are in the
// ANSI code page, which cannot hold every letter of a path.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace viruzedi
