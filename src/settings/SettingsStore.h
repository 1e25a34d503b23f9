#pragma once
// Persistence of CleaningOptions in HKEY_CURRENT_USER\Software\Corvale: eight REG_DWORD
// values ("Page1".."Page3", "HotKeyA", "Interval", "Time", "ShowProgress",
// "CleaningAutoClose").

#include "settings/CleaningOptions.h"

namespace corvale {

constexpr char kSettingsKeyPath[] = "Software\\Corvale";

// Reads the record over the defaults already in it. Without the key every option is
// off and the rest keeps its defaults; with the key, a missing value reads as 0 except
// CleaningAutoClose, which keeps what it had. Values are taken as stored.
void LoadSettings(CleaningOptions& options);

// Opens or creates the key and writes all eight values; single write errors are
// ignored. Returns the status of opening the key.
long SaveSettings(const CleaningOptions& options);

} // namespace corvale
