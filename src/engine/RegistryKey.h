#pragma once
// CRegistryKey: one open registry key that is never created. When the open fails the
// object stays closed and every operation on it does nothing, so a cleaning task opens
// its key and does its work without checking. Names and string data are UTF-16, as the
// registry keeps them: a name the ANSI code page cannot spell is read, found and
// deleted as it is, and a name may be as long as the registry allows (16,383
// characters). Opened with Reach::NoLinks, a key is not opened at all when it, or any
// key on the way to it, is a registry link.

#include <windows.h>

#include <string>

#include "engine/TouchPolicy.h"
#include "platform/Handle.h"

namespace corvale {

// What a value lookup or enumeration found. When Found is false the other fields keep
// what an earlier call left in them.
struct RegistryValue {
    // String data up to its first zero character; for other types the bytes up to the
    // first zero byte, one character each.
    std::wstring Data;
    std::wstring Name; // empty for the unnamed default value
    DWORD Type = REG_NONE;
    bool Found = false;
};

class CRegistryKey {
public:
    CRegistryKey() = default;
    // Opens root\subKey with read, set-value and create-subkey access.
    CRegistryKey(const std::wstring& subKey, HKEY root, Reach reach = Reach::ThroughLinks);
    // Opens with the access given: a reader of the machine's keys asks for no more than a
    // standard user is granted.
    CRegistryKey(const std::wstring& subKey, HKEY root, REGSAM access, Reach reach = Reach::ThroughLinks);

    bool IsOpen() const { return m_key.IsValid(); }
    HKEY Handle() const { return m_key.Get(); }

    void Close();
    // Closes this key and opens parent\name in its place, reaching it as this key was
    // made to.
    bool Reopen(const std::wstring& name, HKEY parent);

    // Looks the value up by its exact name: character by character and case-sensitive,
    // although the registry itself ignores case.
    RegistryValue& FindValue(const std::wstring& name, RegistryValue& out) const;
    // The value at an index of the key's value list. A value with empty data is found
    // with empty Data.
    RegistryValue& EnumValue(DWORD index, RegistryValue& out) const;
    // Opens the subkey at an index into the child, with this key's access and reach. True
    // whenever the subkey exists, even when the child could not open it: a name with a
    // zero inside, which would name another key, is never opened.
    bool EnumSubKey(DWORD index, CRegistryKey& child) const;

    // Returns the status of the write, or 0 when the key is not open.
    LONG SetDword(const std::wstring& name, DWORD value);
    void DeleteValue(const std::wstring& name);
    void DeleteFoundValue(const RegistryValue& value);
    // Empties the key of every value, the unnamed default value and any order value of a
    // list included. A value that cannot be deleted stays and the rest still go.
    void DeleteAllValues();
    // Empties every direct subkey of its values; the key's own values and deeper levels
    // stay.
    void DeleteAllSubKeyValues();

private:
    // True when the value was deleted; a name with a zero inside is deleted as itself.
    bool DeleteNamedValue(const std::wstring& name);

    RegKey m_key;
    // Reading, and writing or deleting values: no more, so that a key whose security
    // grants just these still opens.
    REGSAM m_access = KEY_READ | KEY_SET_VALUE;
    Reach m_reach = Reach::ThroughLinks;
};

} // namespace corvale
