#include "engine/RegistryKey.h"

#include <algorithm>
#include <cstring>
#include <vector>

// In ntdll since Windows NT; no header of the user-mode SDK declares it. It takes the
// name counted, so a name with a zero inside is deleted as itself.
struct CountedName {
    USHORT length;
    USHORT maximumLength;
    const wchar_t* buffer;
};
extern "C" LONG NTAPI NtDeleteValueKey(HANDLE key, const CountedName* name);
// The same; asked for its full name (the third class), a key answers the path it has.
extern "C" LONG NTAPI NtQueryKey(HANDLE key, int informationClass, void* information, ULONG length, ULONG* resultLength);

namespace corvale {
namespace {

// Key names have up to 255 characters on Windows (Wine takes 256), value names up to
// 16,383; and the terminator. A key name past the first buffer is read with the second.
constexpr DWORD kKeyNameBufferSize = 256;
constexpr DWORD kLongKeyNameBufferSize = 32768;
constexpr DWORD kValueNameBufferSize = 16384;

// A name with a zero inside reaches the Win32 calls cut short, as another name: a key
// named by a single zero would open as its parent itself.
bool HoldsZero(const std::wstring& name)
{
    return name.find(L'\0') != std::wstring::npos;
}

// The full path of an open key, empty when it cannot be asked.
std::wstring FullKeyName(HKEY key)
{
    constexpr int kKeyNameInformation = 3;
    std::vector<BYTE> buffer(1024);
    ULONG needed = 0;
    LONG status = ::NtQueryKey(key, kKeyNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status != 0 && needed > buffer.size()) {
        buffer.resize(needed);
        status = ::NtQueryKey(key, kKeyNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    }
    ULONG length = 0;
    if (status != 0 || needed < sizeof(length))
        return std::wstring();
    std::memcpy(&length, buffer.data(), sizeof(length));
    length = std::min<ULONG>(length, needed - sizeof(length));
    std::wstring name(length / sizeof(wchar_t), L'\0');
    if (!name.empty())
        std::memcpy(&name[0], buffer.data() + sizeof(length), name.size() * sizeof(wchar_t));
    return name;
}

// parent\name, opened as itself into key, is a link when it holds a link's target and
// opening the name through links reaches another key. Any program of the user's can put
// a link's value into a plain key; the key is no link for that, and its values still go.
bool IsLinkKey(HKEY parent, const std::wstring& name, HKEY key)
{
    DWORD type = REG_NONE;
    if (::RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS ||
        type != REG_LINK)
        return false;
    HKEY followed = nullptr;
    if (::RegOpenKeyExW(parent, name.c_str(), 0, KEY_QUERY_VALUE, &followed) != ERROR_SUCCESS)
        return true;
    const RegKey held(followed);
    const std::wstring own = FullKeyName(key);
    return own.empty() || own != FullKeyName(followed);
}

// Opens parent\path one key at a time, each opened as itself, and gives up at the first
// link on the way.
HKEY OpenWithoutLinks(HKEY parent, const std::wstring& path, REGSAM access)
{
    RegKey held;
    HKEY at = parent;
    for (size_t from = 0; from <= path.size();) {
        const size_t to = std::min(path.find(L'\\', from), path.size());
        const bool last = to == path.size();
        HKEY opened = nullptr;
        const std::wstring name = path.substr(from, to - from);
        if (::RegOpenKeyExW(at, name.c_str(), REG_OPTION_OPEN_LINK, last ? access | KEY_QUERY_VALUE : KEY_QUERY_VALUE,
                            &opened) != ERROR_SUCCESS)
            return nullptr;
        RegKey key(opened);
        if (IsLinkKey(at, name, opened))
            return nullptr;
        held = std::move(key);
        at = opened;
        from = to + 1;
        if (last)
            return held.Release();
    }
    return nullptr;
}

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

CRegistryKey::CRegistryKey(const std::wstring& subKey, HKEY root, Reach reach) : m_reach(reach)
{
    Reopen(subKey, root);
}

CRegistryKey::CRegistryKey(const std::wstring& subKey, HKEY root, REGSAM access, Reach reach)
    : m_access(access), m_reach(reach)
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
    if (HoldsZero(name))
        return false;
    if (m_reach == Reach::NoLinks) {
        m_key.Reset(OpenWithoutLinks(parent, name, m_access));
        return m_key.IsValid();
    }
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
    // Room for the longest name the registry allows, so that only the data can be too
    // large for the probe.
    std::vector<wchar_t> name(kValueNameBufferSize);
    DWORD nameLength = kValueNameBufferSize;
    DWORD type = REG_NONE;
    BYTE probe = 0;
    DWORD dataSize = 0;
    LONG status = ::RegEnumValueW(m_key.Get(), index, name.data(), &nameLength, nullptr, &type, &probe, &dataSize);
    std::vector<BYTE> data;
    if (status == ERROR_SUCCESS)
        dataSize = 0;
    // Another program may write the value again, longer, between the size and the read
    // (Explorer does with a list's order): it is read again at its new size.
    while (status == ERROR_MORE_DATA) {
        data.resize(std::max<DWORD>(dataSize, 1)); // a null buffer would ask the size alone
        dataSize = static_cast<DWORD>(data.size());
        nameLength = kValueNameBufferSize;
        status = ::RegEnumValueW(m_key.Get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize);
    }
    if (status != ERROR_SUCCESS)
        return out;

    out.Found = true;
    out.Name.assign(name.data(), nameLength);
    out.Type = type;
    out.Data = DataText(type, data, dataSize);
    return out;
}

bool CRegistryKey::EnumSubKey(DWORD index, CRegistryKey& child) const
{
    if (!m_key)
        return false;
    std::vector<wchar_t> name(kKeyNameBufferSize);
    DWORD nameLength = kKeyNameBufferSize;
    LONG status = ::RegEnumKeyExW(m_key.Get(), index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) {
        name.resize(kLongKeyNameBufferSize);
        nameLength = kLongKeyNameBufferSize;
        status = ::RegEnumKeyExW(m_key.Get(), index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
    }
    child.m_access = m_access;
    child.m_reach = m_reach;
    if (status != ERROR_SUCCESS) {
        // A subkey whose name cannot be read is left, and the walk goes on past it; any
        // other failure (the end, or the key itself deleted meanwhile) ends the walk.
        child.Close();
        return status == ERROR_MORE_DATA;
    }
    child.Reopen(std::wstring(name.data(), nameLength), m_key.Get());
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
    (void)DeleteNamedValue(name); // a value that stays is left alone
}

bool CRegistryKey::DeleteNamedValue(const std::wstring& name)
{
    if (!m_key)
        return false;
    if (!HoldsZero(name))
        return ::RegDeleteValueW(m_key.Get(), name.c_str()) == ERROR_SUCCESS;
    const auto bytes = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    const CountedName counted{bytes, bytes, name.data()};
    return ::NtDeleteValueKey(m_key.Get(), &counted) == 0;
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
        if (!DeleteNamedValue(value.Name))
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
