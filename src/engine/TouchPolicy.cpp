#include "engine/TouchPolicy.h"

#include "engine/PathRules.h"

namespace corvale {
namespace {

// FILE_ATTRIBUTE_READONLY, _DIRECTORY and _REPARSE_POINT, without the Windows headers.
constexpr std::uint32_t kReadOnly = 0x1;
constexpr std::uint32_t kDirectory = 0x10;
constexpr std::uint32_t kReparsePoint = 0x400;
// IO_REPARSE_TAG_SYMLINK and IO_REPARSE_TAG_MOUNT_POINT (junctions and mount points).
constexpr std::uint32_t kSymbolicLinkTag = 0xA000000C;
constexpr std::uint32_t kMountPointTag = 0xA0000003;

bool AllDigits(const std::wstring& text)
{
    return !text.empty() && text.find_first_not_of(L"0123456789") == std::wstring::npos;
}

} // namespace

bool CTouchPolicy::MayEmpty(const std::wstring& givenKey, const std::wstring& key, const HandleFacts& folder,
                            bool isVolumeRoot) const
{
    if (isVolumeRoot || !MayEmptyFolder(key, {}) || m_protected.IsOrHolds(folder, key))
        return false;
    if (givenKey == key)
        return true;
    const std::wstring landsIn = m_protected.Within(key);
    return landsIn.empty() || landsIn == m_protected.Within(givenKey);
}

bool CTouchPolicy::MayLookInto(const HandleFacts& folder, const std::wstring& mask, bool isVolumeRoot) const
{
    if ((mask == kDiskCheckFoldersMask || mask == kDiskCheckFilesMask) && !isVolumeRoot)
        return false;
    return !m_protected.IsProtected(folder);
}

Reach CTouchPolicy::FolderReach(bool sharedWithOtherUsers)
{
    return sharedWithOtherUsers ? Reach::NoLinks : Reach::ThroughLinks;
}

Reach CTouchPolicy::KeyReach(bool usersOwnHive)
{
    return usersOwnHive ? Reach::NoLinks : Reach::ThroughLinks;
}

bool CTouchPolicy::MayEnter(const ListedEntry& entry, const std::wstring& parentName, const HandleFacts& child,
                            const std::wstring& key) const
{
    // A link, as listed or as opened (Windows opens a link as itself; Wine opens what it
    // names, which the rest tells).
    if ((entry.attributes | child.attributes) & kReparsePoint || !(child.attributes & kDirectory))
        return false;
    // Swapped since it was listed: another file index, or another full name, which names
    // the volume (Wine gives two file systems under one drive the same serial, and their
    // first folders the same index: only the full name tells them apart there).
    if ((entry.index != 0 && child.index != entry.index) || !IsOwnEntry(parentName, entry.name, child.name))
        return false;
    return !m_protected.IsOrHolds(child, key);
}

bool CTouchPolicy::MayDeleteAsLink(const ListedEntry& entry, const std::wstring& parentName, const HandleFacts& child)
{
    return (child.attributes & kReparsePoint) != 0 &&
           (child.reparseTag == kSymbolicLinkTag || child.reparseTag == kMountPointTag) &&
           IsOwnEntry(parentName, entry.name, child.name);
}

bool CTouchPolicy::IsOwnEntry(const std::wstring& folderName, const std::wstring& entryName,
                              const std::wstring& fileName)
{
    // Exact, case and all: in a case-sensitive folder another case is another file. A
    // folder named with its separator (a drive root) gets no second one.
    if (folderName.empty() || entryName.empty())
        return false;
    const bool separated = folderName.back() == L'\\';
    return fileName.size() == folderName.size() + (separated ? 0 : 1) + entryName.size() &&
           fileName.compare(0, folderName.size(), folderName) == 0 &&
           (separated || fileName[folderName.size()] == L'\\') &&
           fileName.compare(fileName.size() - entryName.size(), entryName.size(), entryName) == 0;
}

bool CTouchPolicy::MayClearReadOnly(const HandleFacts& entry)
{
    return (entry.attributes & kReadOnly) != 0 && entry.links == 1;
}

std::optional<EntryRights> CTouchPolicy::SettleFor(bool isFolder, EntryRights asked, OpenStatus status)
{
    // A right the user lacks is done without: a file that may be deleted but not changed
    // is still deleted, a folder that may not be deleted is still emptied. A folder that
    // another program holds without delete sharing is emptied too; a file held so cannot
    // go.
    switch (status) {
    case OpenStatus::Refused:
        if (asked == EntryRights::DeleteAndChange)
            return EntryRights::DeleteOnly;
        if (isFolder && asked == EntryRights::DeleteOnly)
            return EntryRights::ListOnly;
        return std::nullopt;
    case OpenStatus::InUse:
        if (isFolder && asked != EntryRights::ListOnly)
            return EntryRights::ListOnly;
        return std::nullopt;
    default: return std::nullopt; // opened, gone, or failed otherwise
    }
}

bool CTouchPolicy::TakesMaskedEntry(const std::wstring& name, bool isFolder, const std::wstring& mask)
{
    if (!MatchesMask(name, mask))
        return false;
    if (mask == kDiskCheckFoldersMask)
        return isFolder && AllDigits(name.substr(6));
    if (mask == kDiskCheckFilesMask)
        return !isFolder && AllDigits(name.substr(4, name.size() - 8));
    return true;
}

bool CTouchPolicy::MayDeleteCacheFile(const std::wstring& fileKey, const std::wstring& containerKey)
{
    return !fileKey.empty() && !containerKey.empty() && fileKey != containerKey && IsSameOrInside(fileKey, containerKey);
}

} // namespace corvale
