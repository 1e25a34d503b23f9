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

class CProtectedSet {
public:
    explicit CProtectedSet(bool checkIdentities = true) : m_checkIdentities(checkIdentities) {}

    // Whether a sweep may enter the folder (path as found, key its comparison key): by
    // name first, the cheap refusal, then by identity, which no second name for a folder
    // escapes. A folder the sweep found in one that passed by identity is checked by name
    // alone: a sweep follows no link, so it is really inside that folder, and a protected
    // folder (or one above it) would have made its parent one above a protected folder
    // too. The set is resolved on the first call: a masked sweep that matches nothing
    // never needs it.
    bool MayEnter(const std::string& path, const std::string& key, bool insidePassedFolder = false);

private:
    bool m_checkIdentities;
    std::vector<std::string> m_keys;
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
