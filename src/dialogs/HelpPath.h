#pragma once
// Where the help file lives: beside the program, which the machine's autostart value
// names. No Windows calls here.

#include <string>

namespace corvale {

constexpr char kHelpFileName[] = "Kelto Help.chm";

// The help file beside the program that the autostart value starts. A quoted program
// path ("C:\Program Files\Corvale\Corvale.exe" /h) is taken from inside its quotes; an
// unquoted value is taken as a path followed by a three-character switch. Empty when the
// value names no folder (missing, too short, or a bare file name, which would make the
// help file a relative path).
std::string HelpPathFromRunValue(const std::string& runValue);

} // namespace corvale
