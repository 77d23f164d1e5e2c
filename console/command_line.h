// Splitting a command line into arguments, by the Windows rules.
#pragma once

#include <string>

namespace console {

// Argument `index` (1 or more) of the NUL-terminated `command_line`, empty
// when there is none: blanks and control characters separate, double
// quotes enclose stretches without taking part in the argument, a lone
// pair of double quotes counts as a blank, and a backslash is ordinary.
// Walks the code page's characters, so that the second byte of a
// double-byte character is never a separator or a quote.
std::string CommandLineArgument(const char* command_line, int index);

}  // namespace console
