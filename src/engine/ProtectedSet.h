#pragma once
// The protected folders as a cleaning run checks them, by name and by identity. Asking
// the system for them and opening each with its parents costs more than a small sweep,
// so a run resolves them once, when its first folder operation asks, and every operation
// of the run checks against the same set; an operation outside a run makes its own.
// Never kept across runs: folders move.

#include <optional>
#include <string>
#include <vector>

#include "engine/FolderIdentity.h"
#include "engine/TouchPolicy.h"

namespace corvale {

class CProtectedSet : public IProtectedFolders {
public:
    // checkIdentities = false is for the benchmark alone, which prices the identity
    // checks against the name checks.
    explicit CProtectedSet(bool checkIdentities = true) : m_checkIdentities(checkIdentities) {}
    CProtectedSet(const CProtectedSet&) = delete;
    CProtectedSet& operator=(const CProtectedSet&) = delete;

    // By name first, the cheap refusal, then by the identity of the folder, which no
    // second name, short name or link swapped in for a folder escapes.
    bool IsOrHolds(const HandleFacts& folder, const std::wstring& key) override;
    bool IsProtected(const HandleFacts& folder) override;
    std::wstring Within(const std::wstring& key) override;

private:
    void Resolve();

    bool m_checkIdentities;
    std::vector<std::wstring> m_keys;     // the protected folders' names
    std::vector<std::wstring> m_realKeys; // where they really are
    std::optional<CProtectedIdentities> m_identities;
};

} // namespace corvale
