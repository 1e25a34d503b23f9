#include "settings/SettingsStore.h"

#include <windows.h>

#include "platform/Handle.h"

namespace corvale {
namespace {

// The value's type is not checked; a shorter value replaces only its own bytes. A failed
// read (missing value, or one longer than 4 bytes, whose buffer contents the registry
// leaves undefined) keeps the target as it was.
template <typename T> void ReadDword(HKEY key, const char* name, T& target)
{
    static_assert(sizeof(T) == sizeof(DWORD), "settings values are 4 bytes");
    T read = target;
    DWORD size = sizeof(DWORD);
    if (::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size) == ERROR_SUCCESS)
        target = read;
}

void WriteDword(HKEY key, const char* name, DWORD value)
{
    (void)::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof(value)); // a value that cannot be written keeps its old data
}

} // namespace

void LoadSettings(CleaningOptions& options)
{
    options.OptionFlags.fill(0);

    RegKey key;
    if (::RegOpenKeyA(HKEY_CURRENT_USER, kSettingsKeyPath, key.Receive()) != ERROR_SUCCESS) {
        key.Release(); // a failed open may leave anything behind
        return;
    }

    options.HotKeyA = 0;
    options.Interval = 0;
    options.Time = 0;
    options.ShowProgress = 0;

    std::uint32_t pageBits[kOptionPages.size()] = {};
    for (size_t i = 0; i < kOptionPages.size(); ++i)
        ReadDword(key.Get(), kOptionPages[i].valueName, pageBits[i]);
    ReadDword(key.Get(), "HotKeyA", options.HotKeyA);
    ReadDword(key.Get(), "Interval", options.Interval);
    ReadDword(key.Get(), "Time", options.Time);
    ReadDword(key.Get(), "ShowProgress", options.ShowProgress);
    ReadDword(key.Get(), "CleaningAutoClose", options.CleaningAutoClose);

    for (size_t i = 0; i < kOptionPages.size(); ++i)
        UnpackPage(options, kOptionPages[i], pageBits[i]);
}

long SaveSettings(const CleaningOptions& options)
{
    RegKey key;
    const LONG status = ::RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKeyPath, key.Receive());
    if (status != ERROR_SUCCESS) {
        key.Release();
        return status;
    }

    for (const OptionPage& page : kOptionPages)
        WriteDword(key.Get(), page.valueName, PackPage(options, page));
    WriteDword(key.Get(), "HotKeyA", options.HotKeyA);
    WriteDword(key.Get(), "Interval", static_cast<DWORD>(options.Interval));
    WriteDword(key.Get(), "Time", static_cast<DWORD>(options.Time));
    WriteDword(key.Get(), "ShowProgress", static_cast<DWORD>(options.ShowProgress));
    WriteDword(key.Get(), "CleaningAutoClose", static_cast<DWORD>(options.CleaningAutoClose));
    return ERROR_SUCCESS;
}

} // namespace corvale
