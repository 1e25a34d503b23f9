#include "engine/ProtectedFolders.h"

#include <windows.h>
#include <shlobj.h>
#include <knownfolders.h>

#include "engine/PathRules.h"
#include "platform/Handle.h"

namespace corvale {
namespace {

constexpr int kProtectedShellFolders[] = {
    CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL,   CSIDL_FAVORITES, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,  CSIDL_PROGRAM_FILES,
    CSIDL_PROGRAM_FILESX86, CSIDL_MYPICTURES, CSIDL_MYMUSIC,   CSIDL_MYVIDEO, CSIDL_COMMON_APPDATA,
};

void AddFolder(std::vector<std::string>& folders, const char* folder, size_t length)
{
    if (length > 0 && length < MAX_PATH)
        folders.emplace_back(folder, length);
}

// The known folder in the ANSI code page; empty when there is none or it has no ANSI
// name (the folders above it are still found through the profile).
std::string KnownFolder(const KNOWNFOLDERID& id)
{
    PWSTR wide = nullptr;
    char folder[MAX_PATH] = {};
    int length = 0;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &wide))) {
        BOOL lossy = FALSE;
        length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, folder, MAX_PATH, nullptr, &lossy);
        if (lossy)
            length = 0;
    }
    ::CoTaskMemFree(wide);
    return length > 1 ? std::string(folder, static_cast<size_t>(length - 1)) : std::string();
}

// The folder that holds the profiles: the known folder, or the one above the profile.
std::string ProfilesFolder(const std::string& profile)
{
    const std::string known = KnownFolder(FOLDERID_UserProfiles);
    if (!known.empty() || profile.empty())
        return known;
    const std::string key = ResolvedFolderKey(profile);
    const std::string parent = key.substr(0, key.find_last_of('\\'));
    return parent.size() == 2 ? parent + "\\" : parent;
}

// Every folder in the folder that holds the profiles is someone's profile (or the
// default and public ones), links included.
void AddProfilesIn(std::vector<std::string>& folders, const std::string& profiles)
{
    WIN32_FIND_DATAA entry{};
    FindHandle find(::FindFirstFileA(JoinPath(profiles, "*").c_str(), &entry));
    if (!find)
        return;
    do {
        const std::string name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
            folders.push_back(JoinPath(profiles, name));
    } while (::FindNextFileA(find.Get(), &entry));
}

} // namespace

std::vector<std::string> ProtectedFolders()
{
    std::vector<std::string> folders;
    char folder[MAX_PATH] = {};
    AddFolder(folders, folder, ::GetWindowsDirectoryA(folder, MAX_PATH));
    AddFolder(folders, folder, ::GetSystemDirectoryA(folder, MAX_PATH));
    folder[0] = '\0';
    (void)::SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, folder); // none: nothing added
    const std::string profile = folder;
    AddFolder(folders, folder, profile.size());
    for (int csidl : kProtectedShellFolders) {
        folder[0] = '\0';
        if (SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder)))
            AddFolder(folders, folder, static_cast<size_t>(lstrlenA(folder)));
    }
    for (const KNOWNFOLDERID* id : {&FOLDERID_Downloads, &FOLDERID_Public}) {
        const std::string known = KnownFolder(*id);
        AddFolder(folders, known.c_str(), known.size());
    }
    const std::string profiles = ProfilesFolder(profile);
    if (!profiles.empty()) {
        AddFolder(folders, profiles.c_str(), profiles.size());
        AddProfilesIn(folders, profiles);
    }
    return folders;
}

std::vector<std::string> ProtectedFolderKeys(const std::vector<std::string>& folders)
{
    std::vector<std::string> keys;
    for (const std::string& folder : folders)
        keys.push_back(ResolvedFolderKey(folder));
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
