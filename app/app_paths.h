#pragma once
// Where the program lives: its own file and folder, beside which it keeps
// String.ini, the mirror folders and the thumbnail cache.
#include <string>

namespace zv {

std::string ProgramPath();
// The program path up to, not including, the last backslash.
std::string ProgramFolder();
// The program file's name without folder and extension ("ZViewer").
std::string ProgramBaseName();

}  // namespace zv
