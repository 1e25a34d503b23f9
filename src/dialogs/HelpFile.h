#pragma once
// The installed help file: found through the program's autostart value and shown with
// HTML Help, which is loaded on first use so that the program needs it only then.

#include <windows.h>

#include <string>

namespace corvale {

// The help file beside the program that the machine's autostart value "Corvale" starts;
// empty when there is no such value or it names no folder.
std::string InstalledHelpFile();

// Opens the help file's default topic; the help window, or null when HTML Help is
// missing or cannot open the file.
HWND ShowHelpFile(HWND owner, const std::string& path);

} // namespace corvale
