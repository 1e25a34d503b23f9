#include "engine/RegistryKey.h"

#include <algorithm>
#include <vector>

namespace corvale {
namespace {

// Value and subkey names of up to 255 characters, and the terminator.
constexpr DWORD kNameBufferSize = 256;

} // namespace

CRegistryKey::CRegistryKey(const std::string& subKey, HKEY root)
{
    Reopen(subKey, root);
}

CRegistryKey::CRegistryKey(const std::string& subKey, HKEY root, REGSAM access) : m_access(access)
{
    Reopen(subKey, root);
}

void CRegistryKey::Close()
{
    m_key.Reset();
}

bool CRegistryKey::Reopen(const std::string& name, HKEY parent)
{
    m_key.Reset();
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(parent, name.c_str(), 0, m_access, &opened) != ERROR_SUCCESS)
        return false;
    m_key.Reset(opened);
    return true;
}

RegistryValue& CRegistryKey::FindValue(const std::string& name, RegistryValue& out) const
{
    for (DWORD index = 0;; ++index) {
        EnumValue(index, out);
        if (!out.Found || out.Name == name)
            return out;
    }
}

RegistryValue& CRegistryKey::EnumValue(DWORD index, RegistryValue& out) const
{
    out.Found = false;
    if (!m_key)
        return out;

    // The probe offers no room for data: a non-empty value answers ERROR_MORE_DATA with
    // its size, an empty one is read whole at once.
    char name[kNameBufferSize];
    DWORD nameLength = kNameBufferSize;
    DWORD type = REG_NONE;
    BYTE probe = 0;
    DWORD dataSize = 0;
    LONG status = ::RegEnumValueA(m_key.Get(), index, name, &nameLength, nullptr, &type, &probe, &dataSize);
    std::vector<BYTE> data;
    if (status == ERROR_MORE_DATA) {
        data.resize(dataSize + 1);
        nameLength = kNameBufferSize;
        status = ::RegEnumValueA(m_key.Get(), index, name, &nameLength, nullptr, &type, data.data(), &dataSize);
    } else if (status == ERROR_SUCCESS) {
        dataSize = 0;
    }
    if (status != ERROR_SUCCESS)
        return out;

    out.Found = true;
    out.Name.assign(name, nameLength);
    out.Type = type;
    out.Data.assign(data.begin(), std::find(data.begin(), data.begin() + dataSize, BYTE{0}));
    return out;
}

bool CRegistryKey::EnumSubKey(DWORD index, CRegistryKey& child) const
{
    if (!m_key)
        return false;
    char name[kNameBufferSize];
    if (::RegEnumKeyA(m_key.Get(), index, name, kNameBufferSize) != ERROR_SUCCESS)
        return false;
    child.Reopen(name, m_key.Get());
    return true;
}

LONG CRegistryKey::SetDword(const std::string& name, DWORD value)
{
    if (!m_key)
        return 0;
    return ::RegSetValueExA(m_key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof(value));
}

void CRegistryKey::DeleteValue(const std::string& name)
{
    if (m_key)
        (void)::RegDeleteValueA(m_key.Get(), name.c_str()); // a value that stays is left alone
}

void CRegistryKey::DeleteFoundValue(const RegistryValue& value)
{
    if (value.Found)
        DeleteValue(value.Name);
}

void CRegistryKey::DeleteAllValues()
{
    if (!m_key)
        return;
    // Each deletion moves the next value to the index just emptied. A value that cannot
    // be deleted (a name the ANSI code page cannot spell reads as "?") would come back
    // there for ever, so it is stepped over and the rest still go. Every turn removes a
    // value or moves past one, so the walk ends.
    RegistryValue value;
    DWORD index = 0;
    while (EnumValue(index, value).Found) {
        if (::RegDeleteValueA(m_key.Get(), value.Name.c_str()) != ERROR_SUCCESS)
            ++index;
    }
}

void CRegistryKey::DeleteAllSubKeyValues()
{
    if (!m_key)
        return;
    CRegistryKey child;
    for (DWORD index = 0; EnumSubKey(index, child); ++index)
        child.DeleteAllValues();
}

} // namespace corvale
