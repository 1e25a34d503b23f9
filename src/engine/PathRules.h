#pragma once
// Lexical rules for the paths the sweeper is handed. The shell-folder values and the
// TEMP path it receives are user-controlled, so a whole-tree sweep first proves that
// its folder is absolute, not a volume root, and neither is nor holds a folder the user
// or the system cannot lose. No Windows calls here: the caller resolves the path and
// collects the protected folders. Every rule takes narrow and wide text alike; the
// engine works in UTF-16, where no name is bent into another.

#include <string>
#include <vector>

namespace corvale {

// "X:\..." or "\\server\share\...". Empty, relative ("temp", "\temp"), drive-relative
// ("C:", "C:temp") and device-namespace ("\\?\...", "\\.\...") paths are not, nor
// paths holding wildcards or other characters no folder name has.
bool IsAbsoluteFolderPath(const std::string& path);
bool IsAbsoluteFolderPath(const std::wstring& path);

// A form of an absolute folder path fit for comparing: "/" read as "\", repeated
// separators collapsed, "." and ".." resolved (never above the root), trailing dots and
// spaces of each name dropped as Windows does, no trailing separator except on a drive
// root, ASCII letters upper-cased. Empty when the path is not absolute.
std::string FolderComparisonKey(const std::string& path);
std::wstring FolderComparisonKey(const std::wstring& path);

// "C:\" or "\\SERVER\SHARE", given a comparison key.
bool IsVolumeRoot(const std::string& key);
bool IsVolumeRoot(const std::wstring& key);

// Whether `inner` names the folder `outer` or lies below it (both comparison keys).
bool IsSameOrInside(const std::string& inner, const std::string& outer);
bool IsSameOrInside(const std::wstring& inner, const std::wstring& outer);

// Whether a sweep may enter the folder: it is neither one of the protected folders nor
// holds one (all comparison keys; empty protected entries are ignored).
bool MayEnterFolder(const std::string& key, const std::vector<std::string>& protectedKeys);
bool MayEnterFolder(const std::wstring& key, const std::vector<std::wstring>& protectedKeys);

// Whether the whole contents of the folder may be deleted: an absolute folder that is
// not a volume root and that the sweep may enter.
bool MayEmptyFolder(const std::string& key, const std::vector<std::string>& protectedKeys);
bool MayEmptyFolder(const std::wstring& key, const std::vector<std::wstring>& protectedKeys);

// Folder + "\" + name with exactly one separator between them, whether or not the
// folder ends with one or the name (a relative path) begins with one.
std::string JoinPath(const std::string& folder, const std::string& name);
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// Whether a long name matches a mask of "*" (any run of characters) and "?" (one
// character), ASCII letters in either case. Only the long name counts, and a mask
// ending in ".*" wants at least one character after the dot: the platform's search
// would also match "FOUND.*" to a plain "Found" and "FILE*.CHK" to a short name.
bool MatchesMask(const std::string& name, const std::string& mask);
bool MatchesMask(const std::wstring& name, const std::wstring& mask);

} // namespace corvale
