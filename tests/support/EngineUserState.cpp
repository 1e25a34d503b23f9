#include "support/EngineUserState.h"

namespace corvale::test {

ScratchUserState::ScratchUserState() : m_root("C:\\")
{
    for (const char* key : {kTypedUrlsKey, kSearchAssistantKey, kRunMruKey, kOpenSaveMruKey, kLastVisitedMruKey,
                            kWordWheelQueryKey, kRecentDocsKey, kOpenSavePidlMruKey, kLastVisitedPidlMruKey, kSharesKey,
                            kMappedDrivesKey, kExplorerPoliciesKey})
        m_keys.push_back(std::make_unique<ScopedKeyRestore>(HKEY_CURRENT_USER, key));
    for (const char* name : {"Cache", "Cookies", "Recent", "NetHood"}) {
        m_values.push_back(std::make_unique<ScopedValueRestore>(HKEY_CURRENT_USER, kShellFoldersKey, name));
        SetShellFolder(name, m_root.Folder(name).c_str());
    }
    m_values.push_back(
        std::make_unique<ScopedValueRestore>(HKEY_LOCAL_MACHINE, kSessionManagerKey, "ClearPageFileAtShutdown"));
    m_keepList = std::make_unique<ScopedFileRestore>(SystemFolder() + "\\coockies.sav");
    (void)::DeleteFileA((SystemFolder() + "\\coockies.sav").c_str());
    m_temp = std::make_unique<ScopedEnvironment>("TEMP", m_root.Folder("Temp"));
    m_tmp = std::make_unique<ScopedEnvironment>("TMP", m_root.Folder("Temp"));
}

ScratchUserState::~ScratchUserState() = default;

void ScratchUserState::SetShellFolder(const char* name, const char* path)
{
    if (path) {
        SetString(HKEY_CURRENT_USER, kShellFoldersKey, name, path);
        return;
    }
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        ::RegDeleteValueA(key, name);
        ::RegCloseKey(key);
    }
}

} // namespace corvale::test
