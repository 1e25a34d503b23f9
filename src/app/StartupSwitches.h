#pragma once
// The two switches of the command line. Each counts when the text stands anywhere in a
// non-empty command line, case-sensitive ("/H" is not "/h"), without splitting it into
// words: "x/hy" counts as "/h".

#include <string>

namespace corvale {

struct StartupSwitches {
    bool unload = false;      // "/u": ask a running instance to end; never start one
    bool startHidden = false; // "/h": only the tray icon shows after start-up
};

StartupSwitches ParseStartupSwitches(const std::string& commandLine);

} // namespace corvale
