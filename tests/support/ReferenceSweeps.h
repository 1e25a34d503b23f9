#pragma once
// Two plain depth-first walks by wide paths (FindFirstFileW, DeleteFileW) that the sweep
// is checked and measured against; neither applies any rule of the program's own, so
// they are for trees a test or benchmark made (no links, short paths).

#include <string>

namespace corvale::test {

// Deletes files and removes folders and does nothing else: the platform's floor.
// Read-only entries, and the folders that hold them, stay.
void BareSweep(const std::string& folder);

// Clears every entry's attributes before deleting it, as the sweep once did.
void AttributeResetSweep(const std::string& folder);

} // namespace corvale::test
