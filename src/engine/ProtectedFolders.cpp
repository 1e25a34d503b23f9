#include "engine/ProtectedFolders.h"

#include <windows.h>
#include <shlobj.h>

#include "engine/PathRules.h"

namespace corvale {
namespace {

constexpr int kProtectedShellFolders[] = {
    CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL,      CSIDL_FAVORITES,
    CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,    CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
};

void AddKey(std::vector<std::string>& keys, const char* folder, UINT length)
{
    if (length > 0 && length < MAX_PATH)
        keys.push_back(ResolvedFolderKey(std::string(folder, length)));
}

} // namespace

std::vector<std::string> ProtectedFolderKeys()
{
    std::vector<std::string> keys;
    char folder[MAX_PATH] = {};
    AddKey(keys, folder, ::GetWindowsDirectoryA(folder, MAX_PATH));
    AddKey(keys, folder, ::GetSystemDirectoryA(folder, MAX_PATH));
    for (int csidl : kProtectedShellFolders) {
        folder[0] = '\0';
        if (SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder)))
            AddKey(keys, folder, static_cast<UINT>(lstrlenA(folder)));
    }
    return keys;
}

std::string ResolvedFolderKey(const std::string& path)
{
    if (!IsAbsoluteFolderPath(path))
        return std::string();

    char full[MAX_PATH] = {};
    const DWORD fullLength = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (fullLength == 0 || fullLength >= MAX_PATH)
        return std::string();

    // Short names ("PROGRA~1") would slip past a comparison of long names.
    char longPath[MAX_PATH] = {};
    const DWORD longLength = ::GetLongPathNameA(full, longPath, MAX_PATH);
    if (longLength > 0 && longLength < MAX_PATH)
        return FolderComparisonKey(std::string(longPath, longLength));
    return FolderComparisonKey(std::string(full, fullLength));
}

} // namespace corvale
