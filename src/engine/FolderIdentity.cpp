#include "engine/FolderIdentity.h"

#include <algorithm>

#include "engine/HeldFolder.h"
#include "engine/PathRules.h"

namespace corvale {
namespace {

// "C:\a\b" gives "C:\a"; a volume root has no parent.
std::optional<std::wstring> ParentFolder(const std::wstring& key)
{
    if (IsVolumeRoot(key))
        return std::nullopt;
    const size_t slash = key.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return std::nullopt;
    const std::wstring parent = key.substr(0, slash);
    return parent.size() == 2 ? parent + L"\\" : parent; // "C:" is the drive's current folder
}

std::optional<FolderIdentity> IdentityOf(const CHeldFolder& folder)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!folder || !::GetFileInformationByHandle(folder.Get(), &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return FolderIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

} // namespace

CProtectedIdentities::CProtectedIdentities(const std::vector<std::wstring>& folders)
{
    // The protected folders share most of their parents: each is opened once.
    std::vector<std::wstring> seen;
    for (const std::wstring& folder : folders)
        AddWithParents(folder, true, seen);
}

bool CProtectedIdentities::Holds(const CHeldFolder& folder, bool protectedOnly) const
{
    if (!folder)
        return true;
    const std::optional<ULONGLONG> index = folder.Index();
    std::optional<std::optional<FolderIdentity>> identity; // asked at the first match only
    for (const Member& member : m_members) {
        if ((protectedOnly && !member.isProtected) || (index && member.index && *index != *member.index))
            continue; // another folder, without asking the volume
        // The same index (or one unknown): the whole identities decide, and a member
        // that is no longer the folder it was, or cannot be asked, refuses.
        if (!identity)
            identity.emplace(IdentityOf(folder));
        const CHeldFolder memberFolder = CHeldFolder::OpenPath(member.path, false);
        const std::optional<FolderIdentity> memberIdentity = IdentityOf(memberFolder);
        if (!*identity || !memberIdentity || **identity == *memberIdentity || memberFolder.Index() != member.index)
            return true;
    }
    return false;
}

void CProtectedIdentities::AddWithParents(const std::wstring& path, bool isProtected, std::vector<std::wstring>& seen)
{
    // A missing protected folder still protects the folders above it.
    for (std::optional<std::wstring> folder = FolderComparisonKey(path); folder && !folder->empty();
         folder = ParentFolder(*folder), isProtected = false) {
        if (std::find(seen.begin(), seen.end(), *folder) != seen.end()) {
            // Met before as the parent of another: a protected folder all the same.
            for (Member& member : m_members)
                member.isProtected = member.isProtected || (isProtected && member.path == *folder);
            break;
        }
        seen.push_back(*folder);
        const CHeldFolder handle = CHeldFolder::OpenPath(*folder, false);
        if (!handle)
            continue;
        m_members.push_back(Member{handle.Index(), *folder, isProtected});
        // Reached through a link, the folder also has the parents of where it really is,
        // where the system can name it (Wine cannot beyond MAX_PATH: the folder itself
        // still refuses by its identity).
        AddWithParents(handle.FinalPath(), isProtected, seen);
    }
}

} // namespace corvale
