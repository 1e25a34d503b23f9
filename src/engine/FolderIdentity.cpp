#include "engine/FolderIdentity.h"

#include <algorithm>
#include <memory>

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

// A share that does not answer holds an open for the network's time-out, tens of
// seconds, while the run's window is disabled; the protected folders on shares are asked
// on a thread of their own, and the run waits this long for all of them.
constexpr DWORD kShareAnswerWait = 3000;

// The paths asked, and what each answered: shared by the run and the thread that asks,
// which may outlive the wait and lets go of it last.
struct ShareQuestion {
    std::vector<std::wstring> paths;
    std::vector<std::optional<std::uint64_t>> answers; // their file indexes
    KernelHandle answered{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

DWORD WINAPI AskShares(LPVOID parameter)
{
    const std::unique_ptr<std::shared_ptr<ShareQuestion>> held(static_cast<std::shared_ptr<ShareQuestion>*>(parameter));
    ShareQuestion& question = **held;
    for (const std::wstring& path : question.paths)
        question.answers.push_back(IndexOfHandle(CHeldFolder::OpenPath(path, false).Get()));
    ::SetEvent(question.answered.Get());
    return 0;
}

} // namespace

bool CRemoteDrives::IsRemote(const std::wstring& path)
{
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\')
        return true;
    const wchar_t letter = path.empty() ? L'\0' : static_cast<wchar_t>(path[0] & ~0x20);
    if (path.size() < 2 || path[1] != L':' || letter < L'A' || letter > L'Z')
        return false;
    std::optional<bool>& known = m_letters[letter - L'A'];
    if (!known) {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        known = ::GetDriveTypeW(root) == DRIVE_REMOTE;
    }
    return *known;
}

CProtectedIdentities::CProtectedIdentities(const std::vector<std::wstring>& folders, CRemoteDrives& remoteDrives)
{
    // The protected folders share most of their parents: each is opened once.
    std::vector<std::wstring> seen;
    for (const std::wstring& folder : folders)
        AddWithParents(folder, true, seen, remoteDrives);
    IdentifyRemoteMembers();
}

void CProtectedIdentities::IdentifyRemoteMembers()
{
    auto question = std::make_shared<ShareQuestion>();
    for (const Member& member : m_members) {
        if (member.remote)
            question->paths.push_back(member.path);
    }
    if (question->paths.empty() || !question->answered)
        return;
    auto* parameter = new std::shared_ptr<ShareQuestion>(question);
    const KernelHandle thread(::CreateThread(nullptr, 0, AskShares, parameter, 0, nullptr));
    if (!thread) {
        delete parameter;
        return; // not asked: they refuse every folder on a share
    }
    if (::WaitForSingleObject(question->answered.Get(), kShareAnswerWait) != WAIT_OBJECT_0)
        return; // the thread answers nobody once it is through
    // Each member answered: one that is there is asked like any other from now on, one
    // that is not is left out, as a missing folder on this computer is.
    size_t asked = 0;
    for (Member& member : m_members) {
        if (!member.remote)
            continue;
        if (const std::optional<std::uint64_t>& answer = question->answers[asked++]) {
            member.index = *answer;
            member.remote = false;
        } else {
            member.path.clear();
        }
    }
    m_members.erase(std::remove_if(m_members.begin(), m_members.end(),
                                   [](const Member& member) { return member.path.empty(); }),
                    m_members.end());
}

bool CProtectedIdentities::Holds(const HandleFacts& folder, bool protectedOnly) const
{
    for (const Member& member : m_members) {
        if (protectedOnly && !member.isProtected)
            continue;
        if (member.remote) {
            if (folder.remote)
                return true; // a share that did not answer: who it is cannot be told
            continue;
        }
        if (member.index && *member.index != folder.index)
            continue; // another folder, without asking the volume
        // The same index (or one unknown): the whole identities decide, and a member
        // that is no longer the folder it was, or cannot be asked, refuses.
        const CHeldFolder memberFolder = CHeldFolder::OpenPath(member.path, false);
        const std::optional<std::uint64_t> memberIndex = IndexOfHandle(memberFolder.Get());
        const std::optional<std::uint32_t> memberVolume = VolumeOfHandle(memberFolder.Get());
        const std::optional<std::uint32_t> volume = VolumeOfHandle(reinterpret_cast<HANDLE>(folder.handle));
        if (!memberIndex || !memberVolume || !volume || (member.index && *memberIndex != *member.index) ||
            (*memberVolume == *volume && *memberIndex == folder.index))
            return true;
    }
    return false;
}

std::vector<std::wstring> CProtectedIdentities::ProtectedPaths() const
{
    std::vector<std::wstring> paths;
    for (const Member& member : m_members) {
        if (member.isProtected)
            paths.push_back(member.path);
    }
    return paths;
}

void CProtectedIdentities::AddWithParents(const std::wstring& path, bool isProtected, std::vector<std::wstring>& seen,
                                          CRemoteDrives& remoteDrives)
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
        if (remoteDrives.IsRemote(*folder)) {
            m_members.push_back(Member{std::nullopt, *folder, isProtected, true});
            continue;
        }
        const CHeldFolder handle = CHeldFolder::OpenPath(*folder, false);
        const std::optional<std::uint64_t> index = IndexOfHandle(handle.Get());
        if (!index)
            continue;
        m_members.push_back(Member{index, *folder, isProtected, false});
        // Reached through a link, the folder also has the parents of where it really is,
        // where the system can name it (Wine cannot beyond MAX_PATH: the folder itself
        // still refuses by its identity).
        AddWithParents(handle.FinalPath(), isProtected, seen, remoteDrives);
    }
}

} // namespace corvale
