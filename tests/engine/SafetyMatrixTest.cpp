// Whole runs with every option on while the four shell folders and TEMP name places a
// run must not empty, or such places under second names: in each row what must go goes,
// and nothing else on C: changes (every name, size and attribute, not entering links).
#include <gtest/gtest.h>

#include <shlobj.h>
#include <wininet.h>
#include <knownfolders.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <thread>

#include "engine/CleaningRun.h"
#include "engine/CookieKeepList.h"
#include "platform/AnsiText.h"
#include "support/EngineUserState.h"

namespace corvale {
namespace {

using Names = std::vector<std::string>;
using DriveState = std::map<std::string, std::pair<ULONGLONG, DWORD>>; // size, attributes

const std::string kFixtures = test::kLinkFixtures;
const std::string kSwept = kFixtures + "\\swept";
const Names kPlaces = {"Cache", "Cookies", "Recent", "NetHood", "Temp"};
constexpr char kCanary[] = "\\corvale-matrix-canary.txt";
constexpr char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
// Traces in every swept place, "locked.lnk" held open during the run.
const Names kTraces = {"trace.lnk", "ro.lnk", "hidden.lnk", "system.lnk", "sub\\deep.lnk", "locked.lnk"};
const DWORD kTraceAttributes[] = {0, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM, 0, 0};

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}

std::string Downloads()
{
    PWSTR wide = nullptr;
    char path[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &wide)))
        ::WideCharToMultiByte(CP_ACP, 0, wide, -1, path, MAX_PATH, nullptr, nullptr);
    ::CoTaskMemFree(wide);
    return path;
}

// A known folder, made where it is missing.
std::string KnownFolder(const KNOWNFOLDERID& id)
{
    PWSTR wide = nullptr;
    char path[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &wide)))
        ::WideCharToMultiByte(CP_ACP, 0, wide, -1, path, MAX_PATH, nullptr, nullptr);
    ::CoTaskMemFree(wide);
    return path;
}

std::string UpperCase(std::string text)
{
    ::CharUpperBuffA(&text[0], static_cast<DWORD>(text.size())); // folds "é" too, as the file system does
    return text;
}

// Every entry below the folder but the skipped ones. Other test programs' scratch
// folders come and go meanwhile.
void Record(const std::string& folder, const Names& skipped, DriveState& state)
{
    static const std::string ownScratch = "corvale-test-" + std::to_string(::GetCurrentProcessId()) + "-";
    WIN32_FIND_DATAA entry{};
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = entry.cFileName;
        const std::string path = UpperCase(folder + "\\" + name);
        if (name == "." || name == ".." || std::count(skipped.begin(), skipped.end(), path) ||
            (name.rfind("corvale-test-", 0) == 0 && name.rfind(ownScratch, 0) != 0))
            continue;
        state[path] = {(ULONGLONG(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow,
                       entry.dwFileAttributes & ~FILE_ATTRIBUTE_ARCHIVE};
        if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
            FILE_ATTRIBUTE_DIRECTORY)
            Record(folder + "\\" + name, skipped, state);
    } while (::FindNextFileA(find, &entry));
    ::FindClose(find);
}

// The traces, and a handle that holds "locked.lnk" open until it is closed.
HANDLE Seed(const std::string& folder)
{
    for (size_t i = 0; i < kTraces.size(); ++i) {
        const std::string path = folder + "\\" + kTraces[i];
        ::CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr);
        test::WriteFileBytes(path, "trace");
        ::SetFileAttributesA(path.c_str(), kTraceAttributes[i] ? kTraceAttributes[i] : FILE_ATTRIBUTE_NORMAL);
    }
    return ::CreateFileA((folder + "\\locked.lnk").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
}

struct SilentOwner : ICleaningRunOwner {
    const CleaningOptions& Options() const override { return options; }
    void EnableOwner(bool) override {}
    void CommitPage() override {}
    void ReplaceProgressWindow(int, int) override {}
    void AddProgressLine(const char*) override {}
    void PostProgressClose() override {}
    void PumpPendingMessages() override {}
    CleaningOptions options;
};

struct Row {
    const char* name;
    std::string value; // for all five places; "{}" stands for the place's name
    bool emptied;      // the folders named hold traces the run must take
};

std::string PlaceValue(const Row& row, const std::string& place)
{
    const size_t at = row.value.find("{}");
    return at == std::string::npos ? row.value : row.value.substr(0, at) + place;
}

class SafetyMatrixTest : public ::testing::Test {
protected:
    test::ScratchUserState m_state;
    test::ScopedUrlCacheRestore m_cache;
    test::ScopedValueRestore m_favorites{HKEY_CURRENT_USER, kUserShellFolders, "Favorites"};
    test::ScopedValueRestore m_favoritesSeen{HKEY_CURRENT_USER, test::kShellFoldersKey, "Favorites"};
    test::ScratchFolder m_scratch{"C:\\"};
    test::ScratchFolder m_otherProfile{"C:\\users"};
    test::ScratchFolder m_nonAscii{kSwept};
};

TEST_F(SafetyMatrixTest, EveryRowTakesWhatMustGoAndLosesNothingElse)
{
    ASSERT_TRUE(test::PathExists(kFixtures + "\\moved-link\\inner-link") && test::PathExists("Y:\\"))
        << "the harness's fixtures are missing";
    char current[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, current);
    ASSERT_TRUE(::SetCurrentDirectoryA(test::WindowsFolder().c_str())); // ".." is C:\ and "system32" relative
    // A protected folder whose name the upper-casing of ASCII letters does not fold.
    const std::string favorites = m_scratch.Folder("Favorit\xE9s");
    test::SetString(HKEY_CURRENT_USER, kUserShellFolders, "Favorites", favorites);
    ASSERT_EQ(favorites, ShellFolder(CSIDL_FAVORITES));
    const std::string profile = ShellFolder(CSIDL_PROFILE);
    std::string exactly260 = profile;
    while (exactly260.size() < 259)
        exactly260 += "\\.";
    exactly260.resize(260, '\\');

    const Row rows[] = {
        {"Empty", "", false},
        {"DriveRoot", "C:\\", false},
        {"DriveRelative", "C:", false},
        {"Parent", "..", false},
        {"Relative", "system32", false},
        {"Profile", profile, false},
        {"Documents", ShellFolder(CSIDL_PERSONAL), false},
        {"Desktop", ShellFolder(CSIDL_DESKTOPDIRECTORY), false},
        {"Downloads", Downloads(), false},
        {"Windows", test::WindowsFolder(), false},
        {"ProgramFiles", ShellFolder(CSIDL_PROGRAM_FILES), false},
        {"ProgramData", ShellFolder(CSIDL_COMMON_APPDATA), false},
        {"OtherProfile", m_otherProfile.Path(), false},
        {"ProfileThroughMiddleLink", kFixtures + "\\users-alias" + profile.substr(profile.rfind('\\')), false},
        {"ProfileThroughSecondDrive", "Y:" + profile.substr(2), false},
        {"FavoritesInOtherCase", UpperCase(favorites), false},
        {"LinkToWindows", kFixtures + "\\windows-link", false},
        {"Exactly260Characters", exactly260, false},
        {"NonAsciiName", m_nonAscii.Folder("Caf\xE9"), true},
        {"MovedWithALink", kFixtures + "\\moved-link", true},
        {"OwnFolders", kSwept + "\\{}", true},
        // Known folders that hold the user's (or every user's) data.
        {"PublicDocuments", KnownFolder(FOLDERID_PublicDocuments), false},
        {"PublicDesktop", KnownFolder(FOLDERID_PublicDesktop), false},
        {"SavedGames", KnownFolder(FOLDERID_SavedGames), false},
        {"LocalAppDataLow", KnownFolder(FOLDERID_LocalAppDataLow), false},
        {"Links", KnownFolder(FOLDERID_Links), false},
    };
    const std::string windows = test::WindowsFolder();
    // The harness's C:\tmp is a link into the user's Documents: recorded, not swept.
    const Names fixedTargets = {windows + "\\temp", windows + "\\tmp", windows + "\\Downloaded Program Files",
                                "C:\\temp"};
    Names skipped = {UpperCase(kSwept), UpperCase(kFixtures + "\\moved-target")};
    for (const std::string& folder : fixedTargets)
        skipped.push_back(UpperCase(folder));
    SilentOwner owner;
    std::fill_n(owner.options.OptionFlags.begin(), kCleaningOptionCount, 1);
    owner.options.ShowProgress = 0;

    ULONGLONG bytesLost = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<HANDLE> locked;
        std::map<std::string, Names> expected; // what each folder named keeps: links, then what each place spares
        for (const std::string& folder : fixedTargets)
            locked.push_back(Seed(folder));
        std::optional<test::ScopedEnvironment> temp;
        std::optional<test::ScopedEnvironment> tmp;
        for (const std::string& place : kPlaces) {
            const std::string value = PlaceValue(row, place);
            if (place == "Temp") {
                temp.emplace("TEMP", value);
                tmp.emplace("TMP", value);
            } else {
                test::ScratchUserState::SetShellFolder(place.c_str(), value.c_str());
            }
            if (!row.emptied)
                test::WriteFileBytes(value + kCanary, "alive");
            if (!row.emptied || expected.count(value))
                continue;
            expected[value] = test::ListTree(value);
            expected[value].push_back("locked.lnk");
            if (row.value.find("{}") != std::string::npos && (place == "Cookies" || place == "Recent"))
                expected[value].insert(expected[value].end(), {"ro.lnk", "sub\\", "sub\\deep.lnk"});
            // The prefix reports Windows 7, where NetHood holds the user's own network locations.
            if (row.value.find("{}") != std::string::npos && place == "NetHood")
                expected[value].insert(expected[value].end(),
                                       {"trace.lnk", "ro.lnk", "hidden.lnk", "system.lnk", "sub\\", "sub\\deep.lnk"});
            std::sort(expected[value].begin(), expected[value].end());
            locked.push_back(Seed(value));
        }
        DriveState before;
        Record("C:", skipped, before);

        StartCleaningRun(owner);

        for (HANDLE file : locked)
            ::CloseHandle(file);
        DriveState after;
        Record("C:", skipped, after);
        for (const auto& [path, state] : before) {
            if (after.count(path) == 0 || after[path] != state) {
                ADD_FAILURE() << path << " lost or changed";
                bytesLost += state.first;
            }
        }
        for (const std::string& folder : fixedTargets) {
            for (const std::string& trace : kTraces)
                EXPECT_EQ(trace == "locked.lnk", test::PathExists(folder + "\\" + trace)) << folder << "\\" << trace;
            EXPECT_TRUE(test::PathExists(folder + "\\corvale-data-link\\precious.txt")) << folder;
        }
        for (const auto& [folder, keeps] : expected) {
            EXPECT_EQ(keeps, test::ListTree(folder)) << folder;
            test::RemoveTree(folder); // what was spared; the links stay
        }
        for (const std::string& place : kPlaces)
            (void)::DeleteFileA((PlaceValue(row, place) + kCanary).c_str());
        for (const std::string& folder : fixedTargets)
            (void)::DeleteFileA((folder + "\\locked.lnk").c_str());
    }
    ::SetCurrentDirectoryA(current);
    std::printf("safety matrix: %zu rows, %llu bytes lost\n", std::size(rows), bytesLost);
    EXPECT_EQ(0u, bytesLost);
}


// What a name made to deceive, or a folder swapped for a link mid-sweep, would take. Each
// row lays its trap in the folders a run cleans, runs with every option on, and checks
// that what must go went and that nothing else on C: changed.
struct Attack {
    const char* name;
    std::function<void(std::vector<std::wstring>& mustGo)> arrange;
};

const std::wstring kWideSwept = WideFromAnsi(kSwept);
const std::wstring kWideUserData = WideFromAnsi(kFixtures) + L"\\user-data";
// Fullwidth full stops and reverse solidi: a name the ANSI calls bend into "..\..\..\".
const std::wstring kClimb = L"\xFF0E\xFF0E\xFF3C\xFF0E\xFF0E\xFF3C\xFF0E\xFF0E\xFF3C";

std::wstring Climbing(std::wstring path)
{
    for (wchar_t& c : path)
        c = c == L'\\' ? L'\xFF3C' : c;
    return kClimb + path;
}

void SetShellFolderW(const wchar_t* name, const std::wstring& path)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, WideFromAnsi(test::kShellFoldersKey).c_str(), 0,
                                             KEY_SET_VALUE, &key));
    ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                     static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

TEST_F(SafetyMatrixTest, EveryAttackTakesWhatMustGoAndLosesNothingElse)
{
    const std::string favorites = m_scratch.Folder("Favorit\xE9s");
    test::SetString(HKEY_CURRENT_USER, kUserShellFolders, "Favorites", favorites);
    test::WriteFileBytes(favorites + "\\keep.txt", "favourite");
    for (const std::string& place : kPlaces)
        test::ScratchUserState::SetShellFolder(place.c_str(), (kSwept + "\\" + place).c_str());
    std::optional<test::ScopedEnvironment> temp;
    std::optional<test::ScopedEnvironment> tmp;
    temp.emplace("TEMP", kSwept + "\\Temp");
    tmp.emplace("TMP", kSwept + "\\Temp");
    const std::wstring wideTemp = kWideSwept + L"\\Temp";
    std::thread swapper;
    const std::wstring user = L"C:\\users\\\x141ukasz-corvale"; // "Łukasz": the ANSI name is another user's
    const std::wstring lookalike = L"C:\\users\\Lukasz-corvale";
    // A protected folder inside a swept one, named through a link, its real path too long
    // for a MAX_PATH buffer: the harness's "long-link" leads there.
    const std::wstring deepFavorites =
        wideTemp + L"\\" + std::wstring(120, L'l') + L"\\" + std::wstring(120, L'l') + L"\\" + std::wstring(23, L'f');
    bool swapped = false;
    const std::wstring documents = WideFromAnsi(ShellFolder(CSIDL_PERSONAL));
    std::vector<std::wstring> mustStay;             // outside C: or inside the swept places
    std::vector<std::function<void()>> afterTheRun; // more that must hold, and letting go
    std::vector<std::function<void()>> putBack;     // what a row lost, made again once it is checked
    const std::string keepList = CookieKeepList().Path();
    test::ScopedFileRestore keepListRestore(keepList);
    const std::string runHistory = test::kRunMruKey;

    const Attack attacks[] = {
        {"AnsiNamesClimbOutOfTheSweptFolder",
         [&](std::vector<std::wstring>& mustGo) {
             test::WriteFileBytes(std::wstring(L"C:\\victim\\thesis.txt"), "thesis");
             test::WriteFileBytes(std::wstring(L"C:\\victim\\thesis.lnk"), "thesis");
             test::WriteFileBytes(std::wstring(L"C:\\victim-folder\\photo.jpg"), "photo");
             for (const wchar_t* place : {L"\\Temp\\", L"\\Cache\\"}) {
                 mustGo.push_back(kWideSwept + place + Climbing(L"victim\\thesis.txt"));
                 mustGo.push_back(kWideSwept + place + Climbing(L"victim-folder"));
                 test::WriteFileBytes(mustGo.back() + L"\\inner.txt", "trace");
             }
             mustGo.push_back(kWideSwept + L"\\Recent\\" + Climbing(L"victim\\thesis.lnk"));
             for (size_t i = 0; i + 1 < mustGo.size(); i += 2)
                 test::WriteFileBytes(mustGo[i], "trace");
             test::WriteFileBytes(mustGo.back(), "trace");
         }},
        {"ShortNameOfAProtectedFolder",
         [&](std::vector<std::wstring>& mustGo) {
             wchar_t shortName[MAX_PATH] = {};
             ASSERT_GT(::GetShortPathNameW(WideFromAnsi(favorites).c_str(), shortName, MAX_PATH), 0u);
             ASSERT_NE(WideFromAnsi(favorites), shortName) << "no short name here";
             mustGo.push_back(wideTemp + L"\\" + Climbing(shortName + 3));
             test::WriteFileBytes(mustGo.back() + L"\\inner.txt", "trace");
         }},
        {"FolderSwappedAfterItWasListed",
         [&](std::vector<std::wstring>& mustGo) {
             for (int i = 0; i < 3000; ++i)
                 test::WriteFileBytes(wideTemp + L"\\a\\" + std::to_wstring(10000 + i), "trace");
             test::WriteFileBytes(wideTemp + L"\\b\\trace.txt", "trace");
             mustGo.push_back(wideTemp + L"\\a");
             // Listed with "b", "a" is swept first; then the name "b" leads to the user's
             // data. A link would do that on Windows; Wine moves what a link names when
             // the link is moved, so the data itself comes in under that name.
             swapper = std::thread([&] {
                 const std::wstring first = wideTemp + L"\\a\\10000";
                 for (int spins = 0; spins < 200000 && test::PathExists(first); ++spins)
                     std::this_thread::yield();
                 swapped = ::MoveFileW((wideTemp + L"\\b").c_str(), (kWideSwept + L"\\b-moved").c_str()) &&
                           ::MoveFileW(kWideUserData.c_str(), (wideTemp + L"\\b").c_str());
             });
         }},
        {"ProtectedFolderWithALongRealPath",
         [&](std::vector<std::wstring>& mustGo) {
             test::SetString(HKEY_CURRENT_USER, kUserShellFolders, "Favorites", kFixtures + "\\long-link");
             test::WriteFileBytes(deepFavorites + L"\\k", "favourite");
             mustGo.clear();
         }},
        {"UserNamedOutsideTheCodePage",
         [&](std::vector<std::wstring>& mustGo) {
             for (const std::wstring place : {L"Cache", L"Cookies", L"Recent", L"NetHood", L"Temp"}) {
                 test::WriteFileBytes(lookalike + L"\\" + place + L"\\theirs.lnk", "another user's");
                 test::WriteFileBytes(user + L"\\" + place + L"\\trace.lnk", "trace");
                 if (place != L"Temp")
                     SetShellFolderW(place.c_str(), user + L"\\" + place);
                 if (place != L"NetHood") // the user's own network locations since Vista
                     mustGo.push_back(user + L"\\" + place + L"\\trace.lnk");
             }
             mustGo.push_back(user + L"\\Temp\\\x65E5\x672C\x8A9E.txt"); // Japanese
             mustGo.push_back(user + L"\\Temp\\Za\x17C\xF3\x142\x107.txt"); // Polish
             mustGo.push_back(user + L"\\Temp\\" + std::wstring(120, L'd') + L"\\" + std::wstring(120, L'd') +
                              L"\\deep.txt");
             for (size_t i = 4; i < mustGo.size(); ++i)
                 test::WriteFileBytes(mustGo[i], "trace");
             ::SetEnvironmentVariableW(L"TEMP", (user + L"\\Temp").c_str());
             ::SetEnvironmentVariableW(L"TMP", (user + L"\\Temp").c_str());
         }},
        // The harness's links to single files, one in each place; what they name stays.
        {"LinksToFilesOutsideTheSweptFolder",
         [&](std::vector<std::wstring>&) {
             for (const std::string& place : kPlaces) {
                 const std::string folder = kSwept + "\\file-links\\" + place;
                 ASSERT_TRUE(test::PathExists(folder + "\\thesis.lnk")) << "the harness's file links are missing";
                 test::ScratchUserState::SetShellFolder(place.c_str(), folder.c_str());
             }
             temp.emplace("TEMP", kSwept + "\\file-links\\Temp");
             tmp.emplace("TMP", kSwept + "\\file-links\\Temp");
         }},
        // A second name of a read-only file elsewhere: the file keeps its attributes.
        {"HardLinkToAReadOnlyFile",
         [&](std::vector<std::wstring>&) {
             const DWORD attributes = ::GetFileAttributesA((kFixtures + "\\link-victims\\read-only.txt").c_str());
             ASSERT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
                 << "the harness's read-only file is missing";
             temp.emplace("TEMP", kSwept + "\\hard-link");
             tmp.emplace("TMP", kSwept + "\\hard-link");
         }},
        // The harness's S:, a fixed drive whose root is Documents, where a folder and a
        // file of the user's are named like disk-check leftovers.
        {"DriveLetterForAProtectedFolder",
         [&](std::vector<std::wstring>&) {
             test::WriteFileBytes(documents + L"\\FOUND.000\\photo.jpg", "photo");
             test::WriteFileBytes(documents + L"\\FILE0001.CHK", "notes");
             ASSERT_TRUE(::GetDriveTypeW(L"S:\\") == DRIVE_FIXED && test::PathExists(std::wstring(L"S:\\FILE0001.CHK")))
                 << "the harness's S: is not the profile's Documents";
         }},
        // The harness's C:\tmp, which any user may make, is a link into Documents\Thesis.
        {"SharedFolderMadeALink",
         [&](std::vector<std::wstring>&) {
             ASSERT_TRUE(test::PathExists(std::wstring(L"C:\\tmp\\thesis.docx"))) << "the harness's C:\\tmp is missing";
             mustStay.push_back(documents + L"\\Thesis\\thesis.docx");
         }},
        // A user's files named like "FOUND.*" and a folder named like "FILE*.CHK" at a root.
        {"NamedLikeDiskCheckLeftovers",
         [&](std::vector<std::wstring>& mustGo) {
             for (const wchar_t* users : {L"C:\\Found.docx", L"C:\\found.txt", L"C:\\FILE0001.CHK\\notes.txt"})
                 test::WriteFileBytes(std::wstring(users), "the user's");
             mustGo = {L"C:\\FOUND.000", L"C:\\FILE0002.CHK"};
             test::WriteFileBytes(mustGo[0] + L"\\FILE0000.CHK", "fragment");
             test::WriteFileBytes(mustGo[1], "fragment");
         }},
        // Files another program has mapped cannot go: they keep their attributes.
        {"MappedFilesThatCannotGo",
         [&](std::vector<std::wstring>&) {
             for (const DWORD attributes : {DWORD{0x26}, DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN}}) {
                 const std::wstring file = wideTemp + L"\\mapped-" + std::to_wstring(attributes) + L".dll";
                 test::WriteFileBytes(file, "code");
                 ::SetFileAttributesW(file.c_str(), attributes);
                 const HANDLE opened = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                                     nullptr, OPEN_EXISTING, 0, nullptr);
                 const HANDLE mapping = ::CreateFileMappingW(opened, nullptr, PAGE_READONLY, 0, 0, nullptr);
                 const void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
                 ::CloseHandle(opened);
                 ASSERT_NE(nullptr, view);
                 afterTheRun.push_back([=] {
                     // Wine reports the archive bit by one call and not by another.
                     EXPECT_EQ(attributes & ~FILE_ATTRIBUTE_ARCHIVE,
                               ::GetFileAttributesW(file.c_str()) & ~FILE_ATTRIBUTE_ARCHIVE)
                         << AnsiBestFit(file);
                     ::UnmapViewOfFile(view);
                     ::CloseHandle(mapping);
                 });
             }
         }},
        // A folder another program holds without delete sharing: what is in it still goes.
        {"FolderHeldWithoutDeleteSharing",
         [&](std::vector<std::wstring>& mustGo) {
             mustGo = {wideTemp + L"\\held\\junk.txt", wideTemp + L"\\held\\sub"};
             test::WriteFileBytes(mustGo[0], "junk");
             test::WriteFileBytes(mustGo[1] + L"\\junk.txt", "junk");
             const HANDLE held = ::CreateFileW((wideTemp + L"\\held").c_str(), FILE_LIST_DIRECTORY,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
             afterTheRun.push_back([=] { ::CloseHandle(held); });
         }},
        // A list with a value named longer than 255 characters, and values listed after it.
        {"LongValueNameInAList",
         [&](std::vector<std::wstring>&) {
             for (const std::wstring& name : {std::wstring(L"a"), std::wstring(300, L'x'), std::wstring(L"y")})
                 test::SetWideString(HKEY_CURRENT_USER, runHistory, name, L"trace");
             afterTheRun.push_back([&] { EXPECT_EQ(Names{}, test::ValueNames(HKEY_CURRENT_USER, runHistory)); });
         }},
        // The Run list made a registry link to another key of the user's.
        {"ListKeyMadeARegistryLink",
         [&](std::vector<std::wstring>&) {
             const std::string victim = "Software\\CorvaleTests\\link-victim";
             test::SetString(HKEY_CURRENT_USER, victim, "precious", "the user's");
             test::DeleteKeyTree(HKEY_CURRENT_USER, runHistory);
             test::MakeRegistryLink(runHistory, victim);
             ASSERT_EQ(Names{"precious"}, test::ValueNames(HKEY_CURRENT_USER, runHistory)) << "no link made";
             afterTheRun.push_back([=] {
                 EXPECT_EQ(Names{"precious"}, test::ValueNames(HKEY_CURRENT_USER, victim));
                 test::DeleteRegistryLink(runHistory);
                 test::DeleteKeyTree(HKEY_CURRENT_USER, victim);
                 test::CreateKey(HKEY_CURRENT_USER, runHistory);
             });
         }},
        // Lists by file type made registry links to other keys of the user's: the Open/Save
        // list's "docx", Explorer's recent items' ".txt", the search assistant's "5001".
        {"SubListKeysMadeRegistryLinks",
         [&](std::vector<std::wstring>&) {
             const std::string victim = "Software\\CorvaleTests\\sub-link-victim";
             test::SetString(HKEY_CURRENT_USER, victim, "precious", "the user's");
             const Names links = {std::string(test::kOpenSaveMruKey) + "\\docx", std::string(test::kRecentDocsKey) + "\\.txt",
                                  std::string(test::kSearchAssistantKey) + "\\5001"};
             for (const std::string& link : links) {
                 test::DeleteKeyTree(HKEY_CURRENT_USER, link);
                 test::MakeRegistryLink(link, victim);
                 ASSERT_EQ(Names{"precious"}, test::ValueNames(HKEY_CURRENT_USER, link)) << "no link made at " << link;
             }
             afterTheRun.push_back([=] {
                 EXPECT_EQ(Names{"precious"}, test::ValueNames(HKEY_CURRENT_USER, victim));
                 for (const std::string& link : links)
                     test::DeleteRegistryLink(link);
                 test::DeleteKeyTree(HKEY_CURRENT_USER, victim);
             });
         }},
        // Beside the search assistant's lists, subkeys named as only the native calls name
        // them: one named by a single zero, which the Win32 calls read as the list key
        // itself, and one longer than Windows' 255 characters (Wine makes it), listed first.
        {"SubKeysNamedPastWhatWin32Spells",
         [&](std::vector<std::wstring>&) {
             const std::string key = test::kSearchAssistantKey;
             test::SetString(HKEY_CURRENT_USER, key, "own", "stays");
             test::SetString(HKEY_CURRENT_USER, key + "\\5001", "0", "secret words");
             auto zero = std::make_shared<test::CountedKey>(HKEY_CURRENT_USER, key, std::wstring(1, L'\0'));
             auto longName = std::make_shared<test::CountedKey>(HKEY_CURRENT_USER, key, std::wstring(256, L'0'));
             ASSERT_EQ(1u, longName->ValueNames().size()) << "no long key made";
             afterTheRun.push_back([=]() mutable {
                 EXPECT_EQ(Names{"own"}, test::ValueNames(HKEY_CURRENT_USER, key));
                 EXPECT_EQ(Names{}, test::ValueNames(HKEY_CURRENT_USER, key + "\\5001"));
                 EXPECT_EQ(0u, longName->ValueNames().size());
                 EXPECT_EQ(1u, zero->ValueNames().size()) << "a key the open would name otherwise is left";
                 zero.reset();
                 longName.reset();
             });
         }},
        // The Open/Save boxes' key, above the lists of Windows Vista and later, made a registry
        // link to another key of the user's that holds keys of the same names.
        {"ParentOfTheListsMadeARegistryLink",
         [&](std::vector<std::wstring>&) {
             const std::string parent = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32";
             const std::string victim = "Software\\CorvaleTests\\parent-link-victim";
             for (const char* list : {"OpenSavePidlMRU", "OpenSavePidlMRU\\txt", "LastVisitedPidlMRU", "LastVisitedMRU"})
                 test::SetString(HKEY_CURRENT_USER, victim + "\\" + list, "precious", "the user's");
             const std::string before = test::KeyTreeText(HKEY_CURRENT_USER, victim);
             test::DeleteKeyTree(HKEY_CURRENT_USER, parent);
             test::MakeRegistryLink(parent, victim);
             ASSERT_EQ(Names{"precious"}, test::ValueNames(HKEY_CURRENT_USER, parent + "\\LastVisitedMRU")) << "no link";
             afterTheRun.push_back([=] {
                 EXPECT_EQ(before, test::KeyTreeText(HKEY_CURRENT_USER, victim));
                 test::DeleteRegistryLink(parent);
                 test::DeleteKeyTree(HKEY_CURRENT_USER, victim);
                 test::CreateKey(HKEY_CURRENT_USER, parent);
             });
         }},
        // Cache entries, a page and a cookie, whose files climb out of the cache.
        {"CacheEntriesWithFilesOutsideTheCache",
         [&](std::vector<std::wstring>&) {
             FILETIME never{};
             for (const auto& [url, type] : {std::pair<std::wstring, DWORD>{L"http://attack.example/page", NORMAL_CACHE_ENTRY},
                                             {L"Cookie:corvale@attack.example/", COOKIE_CACHE_ENTRY}}) {
                 // A name in the entry's own cache folder that climbs to C:\.
                 wchar_t inside[MAX_PATH] = {};
                 ASSERT_TRUE(::CreateUrlCacheEntryW(url.c_str(), 0, L"txt", inside, 0));
                 (void)::DeleteFileW(inside); // only its folder was wanted
                 std::wstring climb = inside;
                 climb.erase(climb.find_last_of(L'\\') + 1);
                 for (auto level = std::count(climb.begin() + 3, climb.end(), L'\\'); level > 0; --level)
                     climb += L"..\\";
                 const std::wstring victim = L"C:\\victim\\" + std::to_wstring(type) + L".txt";
                 test::WriteFileBytes(victim, "the user's");
                 ASSERT_TRUE(::CommitUrlCacheEntryW(url.c_str(), (climb + victim.substr(3)).c_str(), never, never, type,
                                                    nullptr, 0, nullptr, nullptr))
                     << ::GetLastError();
             }
         }},
        // In TEMP a link to the file at the same path on another drive, D:.
        {"FileLinkToTheSamePathOnAnotherDrive",
         [&](std::vector<std::wstring>&) {
             mustStay.push_back(L"D:\\corvale-fixtures\\swept\\drive-link\\precious.txt");
             ASSERT_TRUE(test::PathExists(mustStay.back())) << "the harness's D: is missing";
             temp.emplace("TEMP", kSwept + "\\drive-link");
             tmp.emplace("TMP", kSwept + "\\drive-link");
         }},
        // TEMP names C:\tmp, which any user may make, and the harness's C:\tmp is a link
        // into Documents\Thesis, as another user could make it.
        {"TempNamesASharedFolderMadeALink",
         [&](std::vector<std::wstring>&) {
             ASSERT_TRUE(test::PathExists(std::wstring(L"C:\\tmp\\thesis.docx"))) << "the harness's C:\\tmp is missing";
             mustStay.push_back(documents + L"\\Thesis\\thesis.docx");
             temp.emplace("TEMP", "C:\\tmp");
             tmp.emplace("TMP", "C:\\tmp");
             putBack.push_back([=] { test::WriteFileBytes(documents + L"\\Thesis\\thesis.docx", "thesis\n"); });
         }},
        // A kept cookie (its file and its cache entry) while another program has the
        // keep-list open for writing, sharing everything.
        {"KeepListHeldByAnotherProgram",
         [&](std::vector<std::wstring>&) {
             test::WriteFileBytes(keepList, "kept.example\n");
             const std::wstring cookie = kWideSwept + L"\\Cookies\\corvale@kept.example[1].txt";
             test::WriteFileBytes(cookie, "kept");
             mustStay.push_back(cookie);
             ASSERT_TRUE(test::AddCacheEntry("Cookie:corvale@kept.example/", COOKIE_CACHE_ENTRY));
             ASSERT_TRUE(CookieKeepList().LoadText()) << "the list cannot be read even when nobody holds it";
             const HANDLE held =
                 ::CreateFileA(keepList.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
             ASSERT_NE(INVALID_HANDLE_VALUE, held);
             afterTheRun.push_back([=] {
                 ::CloseHandle(held);
                 const Names cookies = test::CacheUrls(true);
                 EXPECT_TRUE(std::count(cookies.begin(), cookies.end(), "Cookie:corvale@kept.example/"))
                     << "the kept cookie entry was deleted";
             });
             putBack.push_back([=] { (void)::DeleteFileA(keepList.c_str()); });
         }},
        // A kept cookie where the browser keeps it. Since 2011 WinINet names cookie files at
        // random ("F6F3N6DQ.txt", Wine too), and the Cookies shell folder is the cookie
        // container itself: the file is kept by its entry.
        {"KeptCookieInTheBrowsersCookieFolder",
         [&](std::vector<std::wstring>&) {
             test::DeleteAllCacheEntries();
             test::WriteFileBytes(keepList, "kept.example\n");
             ASSERT_TRUE(test::AddCacheEntry("Cookie:corvale@kept.example/", COOKIE_CACHE_ENTRY));
             DWORD size = 0;
             (void)::GetUrlCacheEntryInfoW(L"Cookie:corvale@kept.example/", nullptr, &size);
             std::vector<std::uint64_t> buffer(size / 8 + 1);
             auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
             ASSERT_TRUE(::GetUrlCacheEntryInfoW(L"Cookie:corvale@kept.example/", info, &size));
             ASSERT_TRUE(info->lpszLocalFileName && test::PathExists(std::wstring(info->lpszLocalFileName)));
             const std::wstring file = info->lpszLocalFileName;
             mustStay.push_back(file);
             SetShellFolderW(L"Cookies", file.substr(0, file.find_last_of(L'\\')));
             afterTheRun.push_back([=] {
                 const Names cookies = test::CacheUrls(true);
                 EXPECT_TRUE(std::count(cookies.begin(), cookies.end(), "Cookie:corvale@kept.example/"))
                     << "the kept cookie entry was deleted";
             });
             putBack.push_back([=] { (void)::DeleteFileA(keepList.c_str()); });
         }},
    };
    SilentOwner owner;
    std::fill_n(owner.options.OptionFlags.begin(), kCleaningOptionCount, 1);
    owner.options.ShowProgress = 0;
    for (const Attack& attack : attacks) {
        SCOPED_TRACE(attack.name);
        std::vector<std::wstring> mustGo;
        attack.arrange(mustGo);
        Names skipped = {UpperCase(kSwept)};
        for (const std::wstring& path : mustGo)
            skipped.push_back(UpperCase(AnsiBestFit(path)));
        DriveState before;
        Record("C:", skipped, before);

        StartCleaningRun(owner);
        if (swapper.joinable()) {
            swapper.join();
            EXPECT_TRUE(swapped && test::PathExists(kWideSwept + L"\\b-moved\\trace.txt"))
                << "the swap did not come between the listing and b: the row proved nothing";
            (void)::MoveFileW((wideTemp + L"\\b").c_str(), kWideUserData.c_str()); // back, if it is still there
        }

        for (const std::function<void()>& check : afterTheRun)
            check();
        afterTheRun.clear();
        DriveState after;
        Record("C:", skipped, after);
        for (const auto& [path, state] : before)
            EXPECT_TRUE(after.count(path) && after[path] == state) << path << " lost or changed";
        for (const std::wstring& path : mustGo)
            EXPECT_FALSE(test::PathExists(path)) << AnsiBestFit(path) << " stayed";
        for (const std::wstring& path : mustStay)
            EXPECT_TRUE(test::PathExists(path)) << AnsiBestFit(path) << " lost";
        mustStay.clear();
        for (const std::function<void()>& make : putBack)
            make();
        putBack.clear();
        EXPECT_TRUE(test::PathExists(deepFavorites + L"\\k") || !test::PathExists(deepFavorites));
        for (const std::wstring& folder : {std::wstring(L"C:\\victim"), std::wstring(L"C:\\victim-folder"), user, lookalike,
                                           kWideSwept + L"\\b-moved", documents + L"\\FOUND.000",
                                           std::wstring(L"C:\\FOUND.000"), std::wstring(L"C:\\FILE0001.CHK")})
            test::RemoveTree(folder);
        for (const std::wstring& file : {documents + L"\\FILE0001.CHK", std::wstring(L"C:\\Found.docx"),
                                         std::wstring(L"C:\\found.txt"), std::wstring(L"C:\\FILE0002.CHK")})
            (void)::DeleteFileW(file.c_str());
        for (const std::string& place : kPlaces)
            test::RemoveTree(WideFromAnsi(kSwept + "\\" + place));
        test::SetString(HKEY_CURRENT_USER, kUserShellFolders, "Favorites", favorites);
        for (const std::string& place : kPlaces)
            test::ScratchUserState::SetShellFolder(place.c_str(), (kSwept + "\\" + place).c_str());
        temp.emplace("TEMP", kSwept + "\\Temp");
        tmp.emplace("TMP", kSwept + "\\Temp");
    }
    EXPECT_TRUE(test::PathExists(favorites + "\\keep.txt"));
}

} // namespace
} // namespace corvale
