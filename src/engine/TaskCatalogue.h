#pragma once
// The 16 task slots of a cleaning run, in run order: what each one cleans, which option
// gates it and the line it reports.

#include <array>
#include <cstddef>

#include "engine/TouchPolicy.h"

namespace corvale {

struct TaskSlot {
    int option;       // index into CleaningOptions::OptionFlags
    bool runsAlways;  // runs whatever its flag: it writes a policy value mirroring it
    const char* line; // reported after the work, when the run reports and the flag is 1
    void (*work)(int flag, const CTouchPolicy& policy);
};

constexpr size_t kTaskSlotCount = 16;
using TaskSlots = std::array<TaskSlot, kTaskSlotCount>;

const TaskSlots& TaskCatalogue();

// Slot 1: empties the temporary Internet files folder and deletes every URL-cache entry
// that is not a cookie.
void CleanTemporaryInternetFiles(const CTouchPolicy& policy);
// The same outside a run, as the main window does it when a browser window closes,
// silently: with a protected set of its own.
void CleanTemporaryInternetFiles();
// Slot 2: the browser history store.
void ClearBrowserHistory();
// Slot 3: the typed-address list.
void ClearTypedAddresses();
// Slot 5: cookie files and cookie cache entries not on the keep-list.
void CleanCookies(const CTouchPolicy& policy);
// Slot 6: the search-assistant lists and Explorer's search-box history.
void ClearSearchHistory();
// Slot 7: the recent-document shortcuts and Explorer's recent-items lists.
void ClearRecentDocuments(const CTouchPolicy& policy);
// Slot 8: the folders "FOUND.*" and the files "FILE*.CHK" left by disk checks on the roots
// of drives C to Z.
void CleanScandiskFiles(const CTouchPolicy& policy);
// Slot 9.
void EmptyRecycleBin();
// Slot 10.
void EmptyClipboardMemory();
// Slot 11.
void CleanDownloadedProgramFiles(const CTouchPolicy& policy);
// Slot 12: the user's temporary folder and the Windows and fixed temporary folders.
void CleanTemporaryFolders(const CTouchPolicy& policy);
// Slot 13: the Run list and the Open/Save boxes' lists of files and folders.
void ClearRunHistory();
// Slot 14: "ClearPageFileAtShutdown" mirrors the flag where the key opens.
void WriteClearPageFileAtShutdown(int flag);
// Slot 15: the share and mapped-drive lists, and the network-neighbourhood folder on
// Windows that fill it themselves (before Vista).
void ClearNetworkDriveLists(const CTouchPolicy& policy);
// Slot 16: "NoRecentDocsHistory" mirrors the flag; the policy key is never created.
void WriteNoRecentDocsHistory(int flag);

} // namespace corvale
