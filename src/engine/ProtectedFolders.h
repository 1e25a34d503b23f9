#pragma once
// The folders no whole-tree sweep may be or contain, and how a path is resolved before
// it is compared with them. Both are asked of the system at call time, so a changed
// profile or shell folder is seen at once.

#include <string>
#include <vector>

namespace corvale {

// The Windows and system directories, the user profile, Desktop, Documents, Downloads,
// Pictures, Music, Videos, Favorites, the roaming and local AppData folders, Program
// Files, ProgramData, the public profile, the folder that holds the profiles and every
// profile in it.
std::vector<std::wstring> ProtectedFolders();

class CRemoteDrives;

// Their comparison keys (see PathRules.h).
std::vector<std::wstring> ProtectedFolderKeys(const std::vector<std::wstring>& folders, CRemoteDrives& remoteDrives);

// The comparison key of a folder as the system resolves it: full path, long names.
// Empty when the path is not an absolute folder path.
std::wstring ResolvedFolderKey(const std::wstring& path);

} // namespace corvale
