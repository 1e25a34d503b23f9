#include "engine/ProtectedSet.h"

#include "engine/PathRules.h"
#include "engine/ProtectedFolders.h"

namespace corvale {
namespace {

thread_local CProtectedSetScope* t_innermost = nullptr;

} // namespace

bool CProtectedSet::MayEnter(const std::string& path, const std::string& key, bool insidePassedFolder)
{
    if (!m_identities) {
        const std::vector<std::string> folders = ProtectedFolders();
        m_keys = ProtectedFolderKeys(folders);
        m_identities.emplace(m_checkIdentities ? folders : std::vector<std::string>());
    }
    return MayEnterFolder(key, m_keys) && (!m_checkIdentities || insidePassedFolder || m_identities->MayEnter(path));
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
