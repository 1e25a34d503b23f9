#include "engine/ProtectedSet.h"

#include "engine/PathRules.h"
#include "engine/ProtectedFolders.h"

namespace corvale {

void CProtectedSet::Resolve()
{
    if (m_identities)
        return;
    const std::vector<std::wstring> folders = ProtectedFolders();
    CRemoteDrives remoteDrives;
    m_keys = ProtectedFolderKeys(folders, remoteDrives);
    m_identities.emplace(m_checkIdentities ? folders : std::vector<std::wstring>(), remoteDrives);
    m_realKeys = m_identities->ProtectedPaths();
}

bool CProtectedSet::IsOrHolds(const HandleFacts& folder, const std::wstring& key)
{
    Resolve();
    return !MayEnterFolder(key, m_keys) || (m_checkIdentities && m_identities->Holds(folder, false));
}

std::wstring CProtectedSet::Within(const std::wstring& key)
{
    Resolve();
    std::wstring innermost;
    for (const std::vector<std::wstring>* keys : {&m_keys, &m_realKeys}) {
        for (const std::wstring& protectedKey : *keys) {
            if (protectedKey.size() > innermost.size() && IsSameOrInside(key, protectedKey))
                innermost = protectedKey;
        }
    }
    return innermost;
}

bool CProtectedSet::IsProtected(const HandleFacts& folder)
{
    Resolve();
    return m_checkIdentities && m_identities->Holds(folder, true);
}

} // namespace corvale
