#pragma once
// The protected folders as a sweep checks them, by name and by identity. Asking the
// system for them and opening each with its parents costs more than a small sweep, so a
// cleaning run resolves them once and shares them with every folder operation it makes;
// an operation outside a run resolves its own. Never kept across runs: folders move.

#include <optional>
#include <string>
#include <vector>

#include "engine/FolderIdentity.h"

namespace corvale {

class CHeldFolder;

class CProtectedSet {
public:
    explicit CProtectedSet(bool checkIdentities = true) : m_checkIdentities(checkIdentities) {}

    // Whether a sweep may enter the folder it holds open (key: the comparison key of
    // its path): by name first, the cheap refusal, then by the identity of the folder
    // held, which no second name, short name or link swapped in for a folder escapes.
    // The set is resolved on the first call: a masked sweep that matches nothing never
    // needs it.
    bool MayEnter(const CHeldFolder& folder, const std::wstring& key);
    // Whether a masked sweep may look into the folder it holds open: anything but a
    // protected folder itself (a drive letter may name one as its root).
    bool MayLookInto(const CHeldFolder& folder);

private:
    void Resolve();

    bool m_checkIdentities;
    std::vector<std::wstring> m_keys;
    std::optional<CProtectedIdentities> m_identities;
};

// While one lives, the folder operations of its thread share its set; scopes nest (a run
// started while another pumps has its own), and the outer set is back when the inner
// scope ends. checkIdentities = false is for the benchmark alone, which prices the
// identity checks against the name checks.
class CProtectedSetScope {
public:
    explicit CProtectedSetScope(bool checkIdentities = true);
    ~CProtectedSetScope();
    CProtectedSetScope(const CProtectedSetScope&) = delete;
    CProtectedSetScope& operator=(const CProtectedSetScope&) = delete;

    // The set of the innermost scope of this thread, or nothing outside every scope.
    static CProtectedSet* Current();

private:
    CProtectedSet m_set;
    CProtectedSetScope* m_outer;
};

} // namespace corvale
