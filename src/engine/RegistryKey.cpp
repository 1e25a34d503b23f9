#include "engine/RegistryKey.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace corvale {
namespace {

// Value and subkey names of up to 255 characters, and the terminator.
constexpr DWORD kNameBufferSize = 256;

bool IsStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::wstring DataText(DWORD type, const std::vector<BYTE>& data, DWORD size)
{
    if (!IsStringType(type))
        return std::wstring(data.begin(), std::find(data.begin(), data.begin() + size, BYTE{0}));
    // An odd last byte is no character.
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (!text.empty())
        std::memcpy(&text[0], data.data(), text.size() * sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

} // namespace

CRegistryKey::CRegistryKey(const std::wstring& subKey, HKEY root)
{
    Reopen(subKey, root);
}

CRegistryKey::CRegistryKey(const std::wstring& subKey, HKEY root, REGSAM access) : m_access(access)
{
    Reopen(subKey, root);
}

void CRegistryKey::Close()
{
    m_key.Reset();
}

bool CRegistryKey::Reopen(const std::wstring& name, HKEY parent)
{
    m_key.Reset();
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(parent, name.c_str(), 0, m_access, &opened) != ERROR_SUCCESS)
        return false;
    m_key.Reset(opened);
    return true;
}

RegistryValue& CRegistryKey::FindValue(const std::wstring& name, RegistryValue& out) const
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
    wchar_t name[kNameBufferSize];
    DWORD nameLength = kNameBufferSize;
    DWORD type = REG_NONE;
    BYTE probe = 0;
    DWORD dataSize = 0;
    LONG status = ::RegEnumValueW(m_key.Get(), index, name, &nameLength, nullptr, &type, &probe, &dataSize);
    std::vector<BYTE> data;
    if (status == ERROR_MORE_DATA) {
        data.resize(dataSize);
        nameLength = kNameBufferSize;
        status = ::RegEnumValueW(m_key.Get(), index, name, &nameLength, nullptr, &type, data.data(), &dataSize);
    } else if (status == ERROR_SUCCESS) {
        dataSize = 0;
    }
    if (status != ERROR_SUCCESS)
        return out;

    out.Found = true;
    out.Name.assign(name, nameLength);
    out.Type = type;
    out.Data = DataText(type, data, dataSize);
    return out;
}

bool CRegistryKey::EnumSubKey(DWORD index, CRegistryKey& child) const
{
    if (!m_key)
        return false;
    wchar_t name[kNameBufferSize];
    DWORD nameLength = kNameBufferSize;
    if (::RegEnumKeyExW(m_key.Get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    child.Reopen(std::wstring(name, nameLength), m_key.Get());
    return true;
}

LONG CRegistryKey::SetDword(const std::wstring& name, DWORD value)
{
    if (!m_key)
        return 0;
    return ::RegSetValueExW(m_key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof(value));
}

void CRegistryKey::DeleteValue(const std::wstring& name)
{
    if (m_key)
        (void)::RegDeleteValueW(m_key.Get(), name.c_str()); // a value that stays is left alone
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
    // be deleted (a key opened without the right to) would come back there for ever, so
    // it is stepped over and the rest still go. Every turn removes a value or moves past
    // one, so the walk ends.
    RegistryValue value;
    DWORD index = 0;
    while (EnumValue(index, value).Found) {
        if (::RegDeleteValueW(m_key.Get(), value.Name.c_str()) != ERROR_SUCCESS)
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
