#include "dialogs/HelpFile.h"

#include "dialogs/HelpPath.h"
#include "engine/RegistryKey.h"
#include "platform/AnsiText.h"

#include <htmlhelp.h>

namespace corvale {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Corvale";

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

HtmlHelpFunction HtmlHelpEntry()
{
    // Kept loaded: the help window runs in this module. Taken from the system folder
    // only, never from the program's or the current folder.
    static const HtmlHelpFunction entry = []() -> HtmlHelpFunction {
        char path[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return nullptr;
        HMODULE module = ::LoadLibraryA((std::string(path) + "\\hhctrl.ocx").c_str());
        if (!module)
            return nullptr;
        return reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(::GetProcAddress(module, "HtmlHelpA")));
    }();
    return entry;
}

} // namespace

std::string InstalledHelpFile()
{
    // Read access only, which a standard user has on the machine's keys; and the view of
    // the registry that the 32-bit program and its installer write.
    const CRegistryKey run(kRunKey, HKEY_LOCAL_MACHINE, KEY_QUERY_VALUE | KEY_WOW64_32KEY);
    RegistryValue value;
    if (!run.FindValue(kRunValue, value).Found || value.Type != REG_SZ)
        return std::string();
    // HTML Help is opened through its ANSI entry, which takes the path as the code page
    // spells it.
    return HelpPathFromRunValue(AnsiBestFit(value.Data));
}

HWND ShowHelpFile(HWND owner, const std::string& path)
{
    const HtmlHelpFunction htmlHelp = HtmlHelpEntry();
    return htmlHelp ? htmlHelp(owner, path.c_str(), HH_DISPLAY_TOPIC, 0) : nullptr;
}

} // namespace corvale
