#include "engine/FolderIdentity.h"

#include <winternl.h>

#include <algorithm>

#include "engine/PathRules.h"
#include "platform/Handle.h"

namespace corvale {
namespace {

// Opening a folder needs backup semantics; asking for no access right and sharing
// everything opens it whoever else has it open.
FileHandle OpenFolder(const std::string& path)
{
    return FileHandle(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// "C:\a\b" gives "C:\a"; a volume root has no parent.
std::optional<std::string> ParentFolder(const std::string& key)
{
    if (IsVolumeRoot(key))
        return std::nullopt;
    const size_t slash = key.find_last_of('\\');
    if (slash == std::string::npos)
        return std::nullopt;
    const std::string parent = key.substr(0, slash);
    return parent.size() == 2 ? parent + "\\" : parent; // "C:" is the drive's current folder
}

std::optional<FolderIdentity> IdentityOf(const FileHandle& folder)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!folder || !::GetFileInformationByHandle(folder.Get(), &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return FolderIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// The file index alone; nothing when the file system does not give it.
std::optional<ULONGLONG> IndexOf(const FileHandle& folder)
{
    IO_STATUS_BLOCK status{};
    FILE_INTERNAL_INFORMATION info{};
    if (!folder || ::NtQueryInformationFile(folder.Get(), &status, &info, sizeof(info), FileInternalInformation) < 0)
        return std::nullopt;
    return static_cast<ULONGLONG>(info.IndexNumber.QuadPart);
}

std::string FinalPathOf(const FileHandle& folder)
{
    char final[MAX_PATH] = {};
    const DWORD length = folder ? ::GetFinalPathNameByHandleA(folder.Get(), final, MAX_PATH, FILE_NAME_NORMALIZED) : 0;
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    // "\\?\C:\x" and "\\?\UNC\server\share\x" are the usual forms of a drive and a share;
    // anything else in the device namespace stays unnamed.
    const std::string named(final, length);
    if (named.compare(0, 8, "\\\\?\\UNC\\") == 0)
        return "\\\\" + named.substr(8);
    if (named.compare(0, 4, "\\\\?\\") == 0 && IsAbsoluteFolderPath(named.substr(4)))
        return named.substr(4);
    return IsAbsoluteFolderPath(named) ? named : std::string();
}

} // namespace

std::string FinalFolderPath(const std::string& path)
{
    return FinalPathOf(OpenFolder(path));
}

CProtectedIdentities::CProtectedIdentities(const std::vector<std::string>& folders)
{
    // The protected folders share most of their parents: each is opened once.
    std::vector<std::string> seen;
    for (const std::string& folder : folders)
        AddWithParents(folder, seen);
}

bool CProtectedIdentities::MayEnter(const std::string& path) const
{
    const FileHandle folder = OpenFolder(path);
    if (!folder)
        return false;
    const std::optional<ULONGLONG> index = IndexOf(folder);
    std::optional<std::optional<FolderIdentity>> identity; // asked at the first match only
    for (const Member& member : m_members) {
        if (index && member.index && *index != *member.index)
            continue; // another folder, without asking the volume
        // The same index (or one unknown): the whole identities decide, and a member
        // that is no longer the folder it was, or cannot be asked, refuses.
        if (!identity)
            identity.emplace(IdentityOf(folder));
        const FileHandle memberFolder = OpenFolder(member.path);
        const std::optional<FolderIdentity> memberIdentity = IdentityOf(memberFolder);
        if (!*identity || !memberIdentity || **identity == *memberIdentity || IndexOf(memberFolder) != member.index)
            return false;
    }
    return true;
}

void CProtectedIdentities::AddWithParents(const std::string& path, std::vector<std::string>& seen)
{
    // A missing protected folder still protects the folders above it.
    for (std::optional<std::string> folder = FolderComparisonKey(path);
         folder && !folder->empty() && std::find(seen.begin(), seen.end(), *folder) == seen.end();
         folder = ParentFolder(*folder)) {
        seen.push_back(*folder);
        const FileHandle handle = OpenFolder(*folder);
        if (!handle)
            continue;
        m_members.push_back(Member{IndexOf(handle), *folder});
        // Reached through a link, the folder also has the parents of where it really is:
        // every folder in the set has its real parent in the set too, which is what lets
        // a sweep check a folder found inside a passed one by name alone.
        AddWithParents(FinalPathOf(handle), seen);
    }
}

} // namespace corvale
