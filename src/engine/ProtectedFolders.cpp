#include "engine/ProtectedFolders.h"

#include <windows.h>
#include <shlobj.h>
#include <knownfolders.h>

#include "engine/FolderIdentity.h"
#include "engine/HeldFolder.h"
#include "engine/PathRules.h"

namespace corvale {
namespace {

// Known folders are named whatever their length, where the CSIDL calls stop at MAX_PATH.
// The user's own data, every user's, the programs and the system's.
const KNOWNFOLDERID* const kProtectedKnownFolders[] = {
    &FOLDERID_Desktop,          &FOLDERID_Documents,      &FOLDERID_Favorites,       &FOLDERID_Pictures,
    &FOLDERID_Music,            &FOLDERID_Videos,         &FOLDERID_Downloads,       &FOLDERID_SavedGames,
    &FOLDERID_Links,            &FOLDERID_Contacts,       &FOLDERID_SavedSearches,   &FOLDERID_SkyDrive,
    &FOLDERID_RoamingAppData,   &FOLDERID_LocalAppData,   &FOLDERID_LocalAppDataLow, &FOLDERID_StartMenu,
    &FOLDERID_Templates,        &FOLDERID_Public,         &FOLDERID_PublicDesktop,   &FOLDERID_PublicDocuments,
    &FOLDERID_PublicDownloads,  &FOLDERID_PublicMusic,    &FOLDERID_PublicPictures,  &FOLDERID_PublicVideos,
    &FOLDERID_CommonStartMenu,  &FOLDERID_CommonTemplates, &FOLDERID_ProgramData,    &FOLDERID_ProgramFiles,
    &FOLDERID_ProgramFilesX86,  &FOLDERID_UserProgramFiles,
};

void AddFolder(std::vector<std::wstring>& folders, const std::wstring& folder)
{
    if (!folder.empty())
        folders.push_back(folder);
}

std::wstring SystemPath(UINT(WINAPI* get)(LPWSTR, UINT))
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = get(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// The known folder; empty when there is none (nothing added).
std::wstring KnownFolder(const KNOWNFOLDERID& id)
{
    PWSTR wide = nullptr;
    std::wstring folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &wide)))
        folder = wide;
    ::CoTaskMemFree(wide);
    return folder;
}

// The folder that holds the profiles: the known folder, or the one above the profile.
std::wstring ProfilesFolder(const std::wstring& profile)
{
    const std::wstring known = KnownFolder(FOLDERID_UserProfiles);
    if (!known.empty() || profile.empty())
        return known;
    const std::wstring key = ResolvedFolderKey(profile);
    const std::wstring parent = key.substr(0, key.find_last_of(L'\\'));
    return parent.size() == 2 ? parent + L"\\" : parent;
}

// Every folder in the folder that holds the profiles is someone's profile (or the
// default and public ones), links included.
void AddProfilesIn(std::vector<std::wstring>& folders, const std::wstring& profiles)
{
    const CHeldFolder held = CHeldFolder::OpenPath(profiles);
    held.ForEachEntry([&](const ListedEntry& entry) {
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)
            folders.push_back(JoinPath(profiles, entry.name));
        return true;
    });
}

// Asks a path function that takes a buffer size for its answer, of any length.
template <typename Call> std::wstring GrowingCall(Call call)
{
    std::wstring text(MAX_PATH, L'\0');
    for (int tries = 0; tries < 3; ++tries) {
        const DWORD length = call(&text[0], static_cast<DWORD>(text.size()));
        if (length == 0)
            return std::wstring();
        if (length < text.size()) {
            text.resize(length);
            return text;
        }
        text.assign(length, L'\0');
    }
    return std::wstring();
}

} // namespace

std::vector<std::wstring> ProtectedFolders()
{
    std::vector<std::wstring> folders;
    AddFolder(folders, SystemPath(::GetWindowsDirectoryW));
    AddFolder(folders, SystemPath(::GetSystemDirectoryW));
    const std::wstring profile = KnownFolder(FOLDERID_Profile);
    AddFolder(folders, profile);
    for (const KNOWNFOLDERID* id : kProtectedKnownFolders)
        AddFolder(folders, KnownFolder(*id));
    // A 32-bit program on 64-bit Windows is told the 32-bit Program Files for both; the
    // other is named only here.
    AddFolder(folders, GrowingCall([](wchar_t* buffer, DWORD size) {
                  return ::GetEnvironmentVariableW(L"ProgramW6432", buffer, size);
              }));
    const std::wstring profiles = ProfilesFolder(profile);
    if (!profiles.empty()) {
        AddFolder(folders, profiles);
        AddProfilesIn(folders, profiles);
    }
    return folders;
}

std::vector<std::wstring> ProtectedFolderKeys(const std::vector<std::wstring>& folders, CRemoteDrives& remoteDrives)
{
    // A share's long names would be asked of the share, which may not answer.
    std::vector<std::wstring> keys;
    for (const std::wstring& folder : folders)
        keys.push_back(remoteDrives.IsRemote(folder) ? FolderComparisonKey(folder) : ResolvedFolderKey(folder));
    return keys;
}

std::wstring ResolvedFolderKey(const std::wstring& path)
{
    if (!IsAbsoluteFolderPath(path))
        return std::wstring();
    const std::wstring full =
        GrowingCall([&](wchar_t* buffer, DWORD size) { return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
    if (full.empty())
        return std::wstring();
    // Short names ("PROGRA~1") would slip past a comparison of long names.
    const std::wstring longPath =
        GrowingCall([&](wchar_t* buffer, DWORD size) { return ::GetLongPathNameW(full.c_str(), buffer, size); });
    return FolderComparisonKey(longPath.empty() ? full : longPath);
}

} // namespace corvale
