#include "engine/ProtectedSet.h"

#include "engine/PathRules.h"
#include "engine/ProtectedFolders.h"

namespace corvale {
namespace {

thread_local CProtectedSetScope* t_innermost = nullptr;

} // namespace

void CProtectedSet::Resolve()
{
    if (m_identities)
        return;
    const std::vector<std::wstring> folders = ProtectedFolders();
    m_keys = ProtectedFolderKeys(folders);
    m_identities.emplace(m_checkIdentities ? folders : std::vector<std::wstring>());
}

bool CProtectedSet::MayEnter(const CHeldFolder& folder, const std::wstring& key)
{
    Resolve();
    return MayEnterFolder(key, m_keys) && (!m_checkIdentities || m_identities->MayEnter(folder));
}

bool CProtectedSet::MayLookInto(const CHeldFolder& folder)
{
    Resolve();
    return !m_checkIdentities || !m_identities->IsProtectedFolder(folder);
}

CProtectedSetScope::CProtectedSetScope(bool checkIdentities) : m_set(checkIdentities), m_outer(t_innermost)
{
    t_innermost = this;
}

CProtectedSetScope::~CProtectedSetScope()
{
    t_innermost = m_outer;
}

CProtectedSet* CProtectedSetScope::Current()
{
    return t_innermost ? &t_innermost->m_set : nullptr;
}

} // namespace corvale
