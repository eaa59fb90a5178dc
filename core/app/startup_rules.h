#pragma once
// Small start-up rules of the application object.
#include <cstdint>
#include <string>
#include <string_view>

namespace zv {

// The argument string of a command line: what follows the program name (in
// quotes or up to the first blank) and the one blank that separates them.
// Further blanks belong to the arguments, so "\"ZViewer.exe\"  i" has " i".
const char* ArgumentsAfterProgramName(const char* commandLine);

// A run is a resident (task-tray) copy exactly when the argument string after
// the program name begins with a lower-case 'i'.
bool IsResidentCommandLine(const char* arguments);

// "DefaultFontSize" is read digit by digit with no check that the characters
// are digits ("12" -> 12, "" -> 0); odd texts give an odd size, never a fault.
int32_t FontPointsFromText(std::string_view text);
// The same in tenths of a point, as CreatePointFont wants it.
int32_t FontTenthsFromText(std::string_view text);

// "2.1.1.0" from the two 32-bit halves of a fixed file version.
std::string VersionText(uint32_t mostSignificant, uint32_t leastSignificant);

// The Run value that starts a resident copy at log-on: "\"<program>\" i".
std::string AutoStartCommand(std::string_view programPath);
// The value's name: the program file's name without folder and extension.
std::string AutoStartValueName(std::string_view programPath);

}  // namespace zv
