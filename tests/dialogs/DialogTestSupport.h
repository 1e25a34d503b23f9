#pragma once
// Shared by the about dialog and installer tests: the machine's autostart value, in the
// registry view of the 32-bit program and its installer, and the files built beside
// Corvale.exe.

#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace corvale::test {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Sets (or with nullopt removes) the autostart value for one test, and removes it at the end.
class ScopedRunValue {
public:
    explicit ScopedRunValue(const std::optional<std::string>& data) { Set(data); }
    ~ScopedRunValue() { Set(std::nullopt); }
    ScopedRunValue(const ScopedRunValue&) = delete;
    ScopedRunValue& operator=(const ScopedRunValue&) = delete;

private:
    static void Set(const std::optional<std::string>& data)
    {
        HKEY key = nullptr;
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr,
                              &key, nullptr) != ERROR_SUCCESS)
            return;
        if (data)
            ::RegSetValueExA(key, "Corvale", 0, REG_SZ, reinterpret_cast<const BYTE*>(data->c_str()),
                             static_cast<DWORD>(data->size() + 1));
        else
            ::RegDeleteValueA(key, "Corvale");
        ::RegCloseKey(key);
    }
};

// A file that the build put beside Corvale.exe (drive B: in the test prefix).
inline std::string BuiltFile(const std::string& name)
{
    const char* program = std::getenv("CORVALE_EXE");
    const std::string path = program ? program : "";
    const std::size_t folderEnd = path.find_last_of("\\:");
    return folderEnd == std::string::npos ? name : path.substr(0, folderEnd + 1) + name;
}

inline bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace corvale::test
