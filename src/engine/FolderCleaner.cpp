#include "engine/FolderCleaner.h"

#include <windows.h>

#include <cstring>
#include <optional>

#include "engine/CookieKeepList.h"
#include "engine/CookieRules.h"
#include "engine/FolderIdentity.h"
#include "engine/PathRules.h"
#include "engine/ProtectedFolders.h"
#include "engine/ProtectedSet.h"
#include "platform/Handle.h"

namespace corvale {
namespace {

constexpr char kAllEntries[] = "*.*";

bool IsDotEntry(const char* name)
{
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

bool IsLink(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsFolder(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

using DeleteCall = BOOL(WINAPI*)(LPCSTR);

// Clears the attributes only where they stop the delete: read-only in the find data, or
// a refusal with access denied (the find data was stale), and then tries once more.
// Each SetFileAttributesA is a round trip of its own: clearing before every delete
// made the sweep cost more than twice the bare deletes under Wine.
void DeleteClearingAttributes(DeleteCall remove, const std::string& path, DWORD attributes)
{
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0 &&
        (remove(path.c_str()) || ::GetLastError() != ERROR_ACCESS_DENIED))
        return; // gone, or held by what attributes do not change (in use, not empty)
    // FILE_ATTRIBUTE_NORMAL is how every attribute bit is cleared, read-only included.
    (void)::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    (void)remove(path.c_str()); // in use or not empty: it stays and the sweep goes on
}

// Calls visit for each entry of the search that is neither "." nor "..", a link nor
// too long to name whole. The search stays open while visit runs (the sweep recurses
// from inside it).
template <typename Visit> void ForEachEntry(const std::string& folder, const std::string& pattern, Visit visit)
{
    const std::string search = JoinPath(folder, pattern);
    if (!FitsMaxPath(search))
        return;
    WIN32_FIND_DATAA entry{};
    FindHandle find(::FindFirstFileA(search.c_str(), &entry));
    if (!find)
        return;
    do {
        if (IsDotEntry(entry.cFileName) || IsLink(entry.dwFileAttributes))
            continue;
        const std::string path = JoinPath(folder, entry.cFileName);
        if (FitsMaxPath(path))
            visit(entry, path);
    } while (::FindNextFileA(find.Get(), &entry));
}

// The attributes of the folder's own entry as the search reports them: a link's own,
// where GetFileAttributesA (on Wine) reports its target's. A volume root has no entry
// and is a plain folder; nothing when there is no such entry.
std::optional<DWORD> FolderEntryAttributes(const std::string& path, const std::string& key)
{
    if (IsVolumeRoot(key))
        return FILE_ATTRIBUTE_DIRECTORY;
    std::string entry = path;
    while (entry.size() > 3 && entry.back() == '\\')
        entry.pop_back();
    WIN32_FIND_DATAA data{};
    FindHandle find(::FindFirstFileA(entry.c_str(), &data));
    if (!find)
        return std::nullopt;
    return data.dwFileAttributes;
}

// The protected set of the cleaning run in progress on this thread, or else one of the
// operation's own.
CProtectedSet& ProtectedSetOf(std::optional<CProtectedSet>& own)
{
    if (CProtectedSet* run = CProtectedSetScope::Current())
        return *run;
    return own.emplace();
}

// The folder an operation cleans, with its comparison key.
struct CleanableFolder {
    std::string path;
    std::string key;
};

// The folder an operation may clean, or nothing: the path must be absolute (an empty or
// relative one would make the search start at the current drive or folder) and name a
// folder that is there. A folder that is itself a link (TEMP or the cache moved
// elsewhere) is cleaned where the link leads, never through it. An operation that can
// take every entry of the folder also refuses volume roots and the protected folders; a
// masked sweep keeps to matching entries and may work on a drive root.
std::optional<CleanableFolder> FindCleanableFolder(const std::string& folder, bool takesEverything,
                                                   CProtectedSet& protectedSet)
{
    if (!IsAbsoluteFolderPath(folder))
        return std::nullopt;
    CleanableFolder cleanable{folder, ResolvedFolderKey(folder)};
    if (cleanable.key.empty())
        return std::nullopt;
    std::optional<DWORD> attributes = FolderEntryAttributes(cleanable.path, cleanable.key);
    if (attributes && IsLink(*attributes)) {
        cleanable.path = FinalFolderPath(folder);
        cleanable.key = ResolvedFolderKey(cleanable.path);
        attributes = cleanable.key.empty() ? std::nullopt : FolderEntryAttributes(cleanable.path, cleanable.key);
        if (attributes && IsLink(*attributes))
            return std::nullopt;
    }
    if (!attributes || !IsFolder(*attributes))
        return std::nullopt; // nothing there to clean
    if (takesEverything && (IsVolumeRoot(cleanable.key) || !protectedSet.MayEnter(cleanable.path, cleanable.key)))
        return std::nullopt;
    return cleanable;
}

class TreeSweep {
public:
    explicit TreeSweep(CProtectedSet& protectedSet) : m_protected(protectedSet) {}

    // Depth first: a folder's contents go before the folder, and an attribute reset,
    // where one is needed, comes before its delete. passed: the folder itself passed the
    // protected set's checks (a masked sweep's top did not need to).
    void Sweep(const std::string& folder, const std::string& folderKey, const std::string& mask, bool passed)
    {
        ForEachEntry(folder, mask.empty() ? kAllEntries : mask,
                     [&](const WIN32_FIND_DATAA& entry, const std::string& path) {
                         if (IsFolder(entry.dwFileAttributes))
                             SweepFolder(path, JoinPath(folderKey, entry.cFileName), entry.dwFileAttributes, passed);
                         else
                             DeleteClearingAttributes(::DeleteFileA, path, entry.dwFileAttributes);
                     });
    }

private:
    void SweepFolder(const std::string& path, const std::string& joinedKey, DWORD attributes, bool insidePassed)
    {
        const std::string key = FolderComparisonKey(joinedKey);
        if (!m_protected.MayEnter(path, key, insidePassed))
            return;
        Sweep(path, key, std::string(), true);
        DeleteClearingAttributes(::RemoveDirectoryA, path, attributes);
    }

    CProtectedSet& m_protected;
};

} // namespace

void CFolderCleaner::SweepTree(const std::string& relative, const std::string& mask) const
{
    std::optional<CProtectedSet> own;
    CProtectedSet& protectedSet = ProtectedSetOf(own);
    const std::string top = relative.empty() ? m_path : JoinPath(m_path, relative);
    if (const std::optional<CleanableFolder> folder = FindCleanableFolder(top, mask.empty(), protectedSet))
        TreeSweep(protectedSet).Sweep(folder->path, folder->key, mask, mask.empty());
}

void CFolderCleaner::DeleteMatchingFiles(const std::string& mask) const
{
    std::optional<CProtectedSet> own;
    CProtectedSet& protectedSet = ProtectedSetOf(own);
    const std::optional<CleanableFolder> folder = FindCleanableFolder(m_path, true, protectedSet);
    if (!folder)
        return;
    ForEachEntry(folder->path, mask, [](const WIN32_FIND_DATAA& entry, const std::string& path) {
        if (!IsFolder(entry.dwFileAttributes))
            (void)::DeleteFileA(path.c_str()); // read-only or in use: it stays
    });
}

void CFolderCleaner::DeleteCookieFiles() const
{
    const std::optional<std::string> keepText = CookieKeepList().LoadText();
    std::optional<CProtectedSet> own;
    CProtectedSet& protectedSet = ProtectedSetOf(own);
    const std::optional<CleanableFolder> folder = FindCleanableFolder(m_path, true, protectedSet);
    if (!folder)
        return;
    ForEachEntry(folder->path, kAllEntries, [&](const WIN32_FIND_DATAA& entry, const std::string& path) {
        if (IsCookieFileName(entry.cFileName) && !IsCookieFileKept(keepText, CookieNameOfFile(entry.cFileName)))
            (void)::DeleteFileA(path.c_str()); // a folder or a file in use stays
    });
}

} // namespace corvale
