// Command-line arguments.
#pragma once

#include <string>

namespace console {

// Argument `index` of the program: 0 is the executable's full path, n the
// n-th argument after the program name; empty when there is none.
std::string ArgumentText(int index);

// Steps over one character of the code page (CharNextA on Windows).
using CharStep = const char* (*)(const char* text);
const char* SingleByteStep(const char* text);

// Argument `index` (1 or more) of the NUL-terminated `command_line`, split
// by the Windows rules: blanks and control characters separate, double
// quotes enclose stretches without taking part in the argument, a lone
// pair of double quotes counts as a blank, and a backslash is ordinary.
std::string CommandLineArgument(const char* command_line, int index,
                                CharStep step = SingleByteStep);

}  // namespace console
