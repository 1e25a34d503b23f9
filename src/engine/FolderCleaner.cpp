#include "engine/FolderCleaner.h"

#include <windows.h>

#include <optional>

#include "engine/CookieKeepList.h"
#include "engine/CookieRules.h"
#include "engine/HeldFolder.h"
#include "engine/PathRules.h"
#include "engine/ProtectedFolders.h"
#include "engine/ProtectedSet.h"
#include "platform/AnsiText.h"

namespace corvale {
namespace {

// Deeper folders stay: every level holds a handle and a listing buffer, and a tree made
// to be deep must not exhaust the stack.
constexpr int kMaxDepth = 200;

bool IsLink(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsFolder(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The protected set of the cleaning run in progress on this thread, or else one of the
// operation's own.
CProtectedSet& ProtectedSetOf(std::optional<CProtectedSet>& own)
{
    if (CProtectedSet* run = CProtectedSetScope::Current())
        return *run;
    return own.emplace();
}

// The folder an operation cleans, held open, with the comparison key of where it is.
struct CleanableFolder {
    CHeldFolder held;
    std::wstring key;
};

// The folder an operation may clean, or nothing: the path must be absolute (an empty or
// relative one would make the search start at the current drive or folder) and name a
// folder that is there. A folder that is itself a link (TEMP or the cache moved
// elsewhere) is cleaned where the link leads. An operation that can take every entry of
// the folder also refuses volume roots and the protected folders; a masked sweep keeps
// to matching entries and may work on a drive root.
std::optional<CleanableFolder> FindCleanableFolder(const std::wstring& folder, bool takesEverything,
                                                   CProtectedSet& protectedSet)
{
    const std::wstring given = ResolvedFolderKey(folder);
    if (given.empty())
        return std::nullopt;
    CleanableFolder cleanable{CHeldFolder::OpenPath(folder), std::wstring()};
    const std::optional<DWORD> attributes = cleanable.held.Attributes();
    if (!attributes || !IsFolder(*attributes))
        return std::nullopt; // nothing there to clean
    // Where the folder really is, whatever name reached it; the name it was given where
    // the system cannot say (Wine, beyond MAX_PATH). Its identity is checked either way.
    const std::wstring final = cleanable.held.FinalPath();
    cleanable.key = final.empty() ? given : FolderComparisonKey(final);
    if (takesEverything ? IsVolumeRoot(cleanable.key) || !protectedSet.MayEnter(cleanable.held, cleanable.key)
                        : !protectedSet.MayLookInto(cleanable.held))
        return std::nullopt;
    return cleanable;
}

class TreeSweep {
public:
    explicit TreeSweep(CProtectedSet& protectedSet) : m_protected(protectedSet) {}

    // Depth first: a folder's contents go before the folder, and an attribute reset,
    // where one is needed, comes before its delete.
    void Sweep(const CHeldFolder& folder, const std::wstring& folderKey, const std::wstring& mask, int depth)
    {
        folder.ForEachEntry([&](const CHeldFolder::Entry& entry) {
            if (!mask.empty() && !MatchesMask(entry.name, mask))
                return true;
            if (IsFolder(entry.attributes))
                SweepFolder(folder, entry, JoinPath(folderKey, entry.name), depth + 1);
            else
                folder.DeleteChildFile(entry.name, true);
            return true;
        });
    }

private:
    void SweepFolder(const CHeldFolder& parent, const CHeldFolder::Entry& entry, const std::wstring& joinedKey,
                     int depth)
    {
        CHeldFolder folder = parent.OpenChild(entry.name);
        const std::optional<DWORD> attributes = folder.Attributes();
        if (!attributes)
            return;
        if (IsLink(*attributes)) {
            folder.DeleteWhenClosed(); // the link itself, opened as such: what it names stays
            return;
        }
        // Not the folder that was listed (Wine opens what a link swapped in names), a
        // link the listing saw that was opened as its target, or a protected folder.
        const std::optional<ULONGLONG> index = folder.Index();
        if (IsLink(entry.attributes) || !index || (entry.index != 0 && *index != entry.index) || depth > kMaxDepth)
            return;
        const std::wstring key = FolderComparisonKey(joinedKey);
        if (!m_protected.MayEnter(folder, key))
            return;
        Sweep(folder, key, std::wstring(), depth);
        folder.DeleteWhenClosed();
    }

    CProtectedSet& m_protected;
};

} // namespace

void CFolderCleaner::SweepTree(const std::wstring& relative, const std::wstring& mask) const
{
    std::optional<CProtectedSet> own;
    CProtectedSet& protectedSet = ProtectedSetOf(own);
    const std::wstring top = relative.empty() ? m_path : JoinPath(m_path, relative);
    if (const std::optional<CleanableFolder> folder = FindCleanableFolder(top, mask.empty(), protectedSet))
        TreeSweep(protectedSet).Sweep(folder->held, folder->key, mask, 0);
}

void CFolderCleaner::DeleteMatchingFiles(const std::wstring& mask) const
{
    std::optional<CProtectedSet> own;
    CProtectedSet& protectedSet = ProtectedSetOf(own);
    const std::optional<CleanableFolder> folder = FindCleanableFolder(m_path, true, protectedSet);
    if (!folder)
        return;
    folder->held.ForEachEntry([&](const CHeldFolder::Entry& entry) {
        if (!IsFolder(entry.attributes) && MatchesMask(entry.name, mask))
            folder->held.DeleteChildFile(entry.name, false); // read-only or in use: it stays
        return true;
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
    folder->held.ForEachEntry([&](const CHeldFolder::Entry& entry) {
        // The keep-list holds names as the keep-list dialog shows them: in the ANSI code
        // page, lookalike characters bent to their best fit. A name is judged in that
        // form, so a cookie the user kept is never taken; it is deleted by its own name.
        const std::string shown = AnsiBestFit(entry.name);
        if (!IsFolder(entry.attributes) && IsCookieFileName(shown) && !IsCookieFileKept(keepText, CookieNameOfFile(shown)))
            folder->held.DeleteChildFile(entry.name, false); // in use: it stays
        return true;
    });
}

} // namespace corvale
