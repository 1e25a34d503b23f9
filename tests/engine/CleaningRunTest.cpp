// The run driver through a recording owner: order, gating, pumping, the exact progress
// lines, the automatic close and nested runs; then whole runs of the real catalogue.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <optional>
#include <utility>

#include "engine/CleaningRun.h"
#include "support/EngineUserState.h"

namespace corvale {
namespace {

using Lines = std::vector<std::string>;

const std::string kSeparator(97, '-');

// The slot lines exactly as the user sees them, in slot order.
const Lines kSlotLines = {
    "Cleaning Internet Explorer Temp Files..............................Done",
    "Cleaning Internet Explorer History....................................Done",
    "Cleaning Internet Explorer Address Bar............................Done",
    "Cleaning Internet Temp Files when IE closes...................Done",
    "Cleaning Internet Explorer Cookies..................................Done",
    "Cleaning Search History..................................................Done",
    "Cleaning Recent Documents History...............................Done",
    "Cleaning Scandisk Files..................................................Done",
    "Cleaning Recycle Bin......................................................Done",
    "Cleaning Clipboard Memory.............................................Done",
    "Cleaning Downloaded Program Files Directory................Done",
    "Cleaning Temporary Files Directory.................................Done",
    "Cleaning Start/Run History..............................................Done",
    "Cleaning Swap File On Shutdown...................................Done",
    "Cleaning Recent Network Drive List................................Done",
    "Remove Recent Docs History.........................................Done",
};

// Records everything the run asks of its owner, with the progress windows it made.
class RecordingOwner : public ICleaningRunOwner {
public:
    const CleaningOptions& Options() const override { return options; }
    void EnableOwner(bool enable) override { events.push_back(enable ? "enable" : "disable"); }
    void CommitPage() override { events.push_back("commit"); }
    void ReplaceProgressWindow(int autoCloseFlag, int showProgressFlag) override
    {
        events.push_back("window " + std::to_string(autoCloseFlag) + std::to_string(showProgressFlag));
        windows.emplace_back();
    }
    void AddProgressLine(const char* line) override
    {
        events.push_back("line");
        windows.back().push_back(line);
    }
    void PostProgressClose() override { events.push_back("close " + std::to_string(windows.size())); }
    void PumpPendingMessages() override
    {
        events.push_back("pump");
        ++pumps;
        if (onPump)
            std::exchange(onPump, nullptr)();
    }

    // Every line of every window, in the order written.
    Lines AllLines() const
    {
        Lines all;
        for (const Lines& window : windows)
            all.insert(all.end(), window.begin(), window.end());
        return all;
    }

    CleaningOptions options;
    std::vector<std::string> events;
    std::vector<Lines> windows;
    int pumps = 0;
    // Runs once, from inside the next pump: a trigger arriving while the run pumps.
    std::function<void()> onPump;
};

void SetAllCleaningOptions(CleaningOptions& options, int value)
{
    for (int i = 0; i < kCleaningOptionCount; ++i)
        options.OptionFlags[i] = value;
}

// Slots that only record their calls, with the real catalogue's options and lines.
std::vector<std::string>* g_slotCalls = nullptr;

template <size_t Slot> void RecordSlot(int flag, const CTouchPolicy&)
{
    g_slotCalls->push_back("slot " + std::to_string(Slot + 1) + " flag " + std::to_string(flag));
}

template <size_t... Slot> TaskSlots RecordingSlots(std::index_sequence<Slot...>)
{
    TaskSlots slots = TaskCatalogue();
    ((slots[Slot].work = RecordSlot<Slot>), ...);
    return slots;
}

class CleaningRunTest : public ::testing::Test {
protected:
    CleaningRunTest() { g_slotCalls = &m_owner.events; }
    ~CleaningRunTest() override { g_slotCalls = nullptr; }

    void Run() { StartCleaningRun(m_owner, m_slots); }
    void SetAll(int value) { SetAllCleaningOptions(m_owner.options, value); }
    std::vector<std::string> SlotCalls() const
    {
        std::vector<std::string> calls;
        for (const std::string& event : m_owner.events) {
            if (event.rfind("slot ", 0) == 0)
                calls.push_back(event);
        }
        return calls;
    }

    RecordingOwner m_owner;
    TaskSlots m_slots = RecordingSlots(std::make_index_sequence<kTaskSlotCount>());
};

TEST_F(CleaningRunTest, AFullReportingRunWritesEveryLineInOrder)
{
    SetAll(1);
    Run();

    Lines expected = {"Cleaning Started...", kSeparator};
    expected.insert(expected.end(), kSlotLines.begin(), kSlotLines.end());
    expected.insert(expected.end(), {kSeparator, "Cleaning Done!"});
    ASSERT_EQ(1u, m_owner.windows.size());
    EXPECT_EQ(expected, m_owner.windows[0]);
}

TEST_F(CleaningRunTest, StepsComeInOrderWithAPumpBeforeEachSlotAndEachLineAfterItsWork)
{
    SetAll(1);
    m_owner.options.CleaningAutoClose = 1;
    Run();

    std::vector<std::string> expected = {"disable", "window 11", "line", "line", "commit"};
    for (int slot = 1; slot <= 16; ++slot)
        expected.insert(expected.end(), {"pump", "slot " + std::to_string(slot) + " flag 1", "line"});
    expected.insert(expected.end(), {"line", "line", "pump", "close 1", "enable"});
    EXPECT_EQ(expected, m_owner.events);
}

TEST_F(CleaningRunTest, ASlotRunsOnlyOnFlagOneExceptThePolicySlots)
{
    const int flags[kCleaningOptionCount] = {1, 0, 2, 1, 0, -1, 1, 0, 0, 1, 0, 0, 1, 0, 1, 0};
    std::copy(std::begin(flags), std::end(flags), m_owner.options.OptionFlags.begin());
    m_owner.options.OptionFlags[Option::OnLogoff] = 1;
    Run();

    EXPECT_EQ((std::vector<std::string>{"slot 1 flag 1", "slot 4 flag 1", "slot 7 flag 1", "slot 10 flag 1",
                                        "slot 13 flag 1", "slot 14 flag 0", "slot 15 flag 1", "slot 16 flag 0"}),
              SlotCalls());
    EXPECT_EQ((Lines{"Cleaning Started...", kSeparator, kSlotLines[0], kSlotLines[3], kSlotLines[6], kSlotLines[9],
                     kSlotLines[12], kSlotLines[14], kSeparator, "Cleaning Done!"}),
              m_owner.AllLines());
    EXPECT_EQ(16, m_owner.pumps);
}

TEST_F(CleaningRunTest, WithEveryOptionOffOnlyThePolicySlotsRunAndFourLinesAreWritten)
{
    SetAll(0);
    Run();

    EXPECT_EQ((std::vector<std::string>{"slot 14 flag 0", "slot 16 flag 0"}), SlotCalls());
    EXPECT_EQ((Lines{"Cleaning Started...", kSeparator, kSeparator, "Cleaning Done!"}), m_owner.AllLines());
}

TEST_F(CleaningRunTest, ThePolicySlotsReportOnlyWhenTheirFlagIsOne)
{
    m_owner.options.OptionFlags[Option::SwapFileOnShutdown] = 1;
    Run();
    EXPECT_EQ((std::vector<std::string>{"slot 14 flag 1", "slot 16 flag 0"}), SlotCalls());
    EXPECT_EQ((Lines{"Cleaning Started...", kSeparator, kSlotLines[13], kSeparator, "Cleaning Done!"}),
              m_owner.AllLines());
}

TEST_F(CleaningRunTest, ASilentRunTouchesNoWindowButDoesTheSameWork)
{
    SetAll(1);
    m_owner.options.ShowProgress = 0;
    m_owner.options.CleaningAutoClose = 1;
    Run();

    std::vector<std::string> expected = {"commit"};
    for (int slot = 1; slot <= 16; ++slot)
        expected.insert(expected.end(), {"pump", "slot " + std::to_string(slot) + " flag 1"});
    EXPECT_EQ(expected, m_owner.events);
}

TEST_F(CleaningRunTest, TheProgressDecisionIsTakenOnceAndTheAutoCloseReadAtTheEnd)
{
    m_owner.options.OptionFlags[Option::IeHistory] = 1;
    m_owner.onPump = [this] {
        m_owner.options.ShowProgress = 0;
        m_owner.options.CleaningAutoClose = 1;
    };
    Run();

    EXPECT_EQ("window 01", m_owner.events[1]);
    EXPECT_EQ((Lines{"Cleaning Started...", kSeparator, kSlotLines[1], kSeparator, "Cleaning Done!"}),
              m_owner.AllLines());
    const std::vector<std::string> tail(m_owner.events.end() - 3, m_owner.events.end());
    EXPECT_EQ((std::vector<std::string>{"pump", "close 1", "enable"}), tail);
}

TEST_F(CleaningRunTest, ARunStartedFromThePumpCompletesFirstAndTheOuterRunWritesIntoItsWindow)
{
    SetAll(1);
    int pumpsBeforeNested = 0;
    // Re-arm until the fifth pump hands control to the nested run.
    std::function<void()> arm = [&] {
        if (m_owner.pumps == 5) {
            pumpsBeforeNested = m_owner.pumps;
            Run();
        } else {
            m_owner.onPump = arm;
        }
    };
    m_owner.onPump = arm;
    Run();

    ASSERT_EQ(5, pumpsBeforeNested);
    ASSERT_EQ(2u, m_owner.windows.size());
    Lines first = {"Cleaning Started...", kSeparator};
    first.insert(first.end(), kSlotLines.begin(), kSlotLines.begin() + 4);
    EXPECT_EQ(first, m_owner.windows[0]);

    Lines second = {"Cleaning Started...", kSeparator};
    second.insert(second.end(), kSlotLines.begin(), kSlotLines.end());
    second.insert(second.end(), {kSeparator, "Cleaning Done!"});
    second.insert(second.end(), kSlotLines.begin() + 4, kSlotLines.end());
    second.insert(second.end(), {kSeparator, "Cleaning Done!"});
    EXPECT_EQ(second, m_owner.windows[1]);

    std::vector<std::string> slotFive;
    for (const std::string& call : SlotCalls())
        if (call == "slot 5 flag 1")
            slotFive.push_back(call);
    EXPECT_EQ(2u, slotFive.size()) << "each run does slot 5 once";
    EXPECT_EQ("enable", m_owner.events.back());
}

// Clean Now's entry check shows its message box; a timer inside the box's own message
// loop reads it and presses OK.
struct SeenBox {
    bool shown = false;
    std::string caption;
    std::string text;
    bool hasIcon = false;
};
SeenBox g_seenBox;

BOOL CALLBACK CollectStatic(HWND child, LPARAM)
{
    char className[32] = {};
    ::GetClassNameA(child, className, sizeof(className));
    if (lstrcmpiA(className, "Static") != 0)
        return TRUE;
    if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        g_seenBox.hasIcon = true;
    } else {
        char text[256] = {};
        ::GetWindowTextA(child, text, sizeof(text));
        if (text[0])
            g_seenBox.text = text;
    }
    return TRUE;
}

BOOL CALLBACK FindBox(HWND window, LPARAM)
{
    char className[32] = {};
    ::GetClassNameA(window, className, sizeof(className));
    if (std::string(className) != "#32770" || !::IsWindowVisible(window))
        return TRUE;
    char caption[64] = {};
    ::GetWindowTextA(window, caption, sizeof(caption));
    g_seenBox.shown = true;
    g_seenBox.caption = caption;
    ::EnumChildWindows(window, CollectStatic, 0);
    ::PostMessageA(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK LookForBox(HWND, UINT, UINT_PTR, DWORD)
{
    if (!g_seenBox.shown)
        ::EnumThreadWindows(::GetCurrentThreadId(), FindBox, 0);
}

class CleanNowCheckTest : public ::testing::Test {
protected:
    CleanNowCheckTest() : m_timer(::SetTimer(nullptr, 0, 20, LookForBox)) { g_seenBox = SeenBox(); }
    ~CleanNowCheckTest() override { ::KillTimer(nullptr, m_timer); }

    UINT_PTR m_timer;
};

TEST_F(CleanNowCheckTest, WithNothingSelectedTellsTheUserAndRefuses)
{
    CleaningOptions options;
    options.OptionFlags[Option::OnStart] = 1;
    EXPECT_FALSE(ConfirmCleanNow(options));
    EXPECT_TRUE(g_seenBox.shown);
    EXPECT_EQ("Corvale", g_seenBox.caption);
    EXPECT_EQ("No option selected. Nothing cleaned!", g_seenBox.text);
    EXPECT_TRUE(g_seenBox.hasIcon);
}

TEST_F(CleanNowCheckTest, WithAnOptionSelectedLetsTheRunStartSilently)
{
    CleaningOptions options;
    options.OptionFlags[Option::NoRecentDocsHistory] = 1;
    EXPECT_TRUE(ConfirmCleanNow(options));
    EXPECT_FALSE(g_seenBox.shown);
}

// Whole runs of the real catalogue on traces seeded in the test prefix.
class CatalogueRunTest : public ::testing::Test {
protected:
    static std::optional<DWORD> PageFilePolicy()
    {
        return test::GetDwordValue(HKEY_LOCAL_MACHINE, test::kSessionManagerKey, "ClearPageFileAtShutdown");
    }
    static std::optional<DWORD> RecentDocsPolicy()
    {
        return test::GetDwordValue(HKEY_CURRENT_USER, test::kExplorerPoliciesKey, "NoRecentDocsHistory");
    }

    test::ScratchUserState m_state;
    test::ScopedUrlCacheRestore m_cache;
    RecordingOwner m_owner;
};

TEST_F(CatalogueRunTest, WithEveryOptionOffOnlyThePolicyValuesChange)
{
    test::SetDwordValue(HKEY_LOCAL_MACHINE, test::kSessionManagerKey, "ClearPageFileAtShutdown", 1);
    test::SetDwordValue(HKEY_CURRENT_USER, test::kExplorerPoliciesKey, "NoRecentDocsHistory", 1);
    test::SetString(HKEY_CURRENT_USER, test::kTypedUrlsKey, "url1", "http://example.test/");
    m_state.Root().File("Cache\\page.htm");
    ASSERT_TRUE(test::AddCacheEntry("http://www.example.test/", NORMAL_CACHE_ENTRY));

    StartCleaningRun(m_owner);

    EXPECT_EQ((Lines{"Cleaning Started...", kSeparator, kSeparator, "Cleaning Done!"}), m_owner.AllLines());
    EXPECT_EQ(0u, PageFilePolicy());
    EXPECT_EQ(0u, RecentDocsPolicy());
    EXPECT_EQ(Lines{"url1"}, test::ValueNames(HKEY_CURRENT_USER, test::kTypedUrlsKey));
    EXPECT_TRUE(m_state.Root().Exists("Cache\\page.htm"));
    EXPECT_EQ(Lines{"http://www.example.test/"}, test::CacheUrls(false));
}

TEST_F(CatalogueRunTest, AMissingPolicyKeyIsNotCreatedButTheSlotStillReports)
{
    test::DeleteKeyTree(HKEY_CURRENT_USER, test::kExplorerPoliciesKey);
    m_owner.options.OptionFlags[Option::NoRecentDocsHistory] = 1;
    m_owner.options.OptionFlags[Option::SwapFileOnShutdown] = 1;

    StartCleaningRun(m_owner);

    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, test::kExplorerPoliciesKey));
    EXPECT_EQ(1u, PageFilePolicy());
    EXPECT_EQ((Lines{"Cleaning Started...", kSeparator, kSlotLines[13], kSlotLines[15], kSeparator, "Cleaning Done!"}),
              m_owner.AllLines());
}

TEST_F(CatalogueRunTest, WithEveryOptionOnEveryTargetIsEmptiedAndNothingBesideItChanges)
{
    using test::SetString;
    const test::ScratchFolder& root = m_state.Root();
    // Traces.
    root.File("Cache\\Content.IE5\\X1\\page[1].htm", "p", FILE_ATTRIBUTE_READONLY);
    root.File("Cookies\\me@kept[1].txt");
    root.File("Cookies\\me@gone[1].txt");
    root.File("Cookies\\index.dat");
    test::WriteFileBytes(test::SystemFolder() + "\\coockies.sav", "kept\n");
    ASSERT_TRUE(test::AddCacheEntry("http://www.example.test/", NORMAL_CACHE_ENTRY));
    ASSERT_TRUE(test::AddCacheEntry("Cookie:me@kept.test/", COOKIE_CACHE_ENTRY));
    ASSERT_TRUE(test::AddCacheEntry("Cookie:me@gone.test/", COOKIE_CACHE_ENTRY));
    SetString(HKEY_CURRENT_USER, test::kTypedUrlsKey, "url1", "http://example.test/");
    SetString(HKEY_CURRENT_USER, std::string(test::kSearchAssistantKey) + "\\5001", "0", "words");
    root.File("Recent\\doc.lnk");
    ::CreateDirectoryA("C:\\FOUND.009", nullptr);
    test::WriteFileBytes("C:\\FOUND.009\\FILE0000.CHK", "x");
    test::WriteFileBytes("C:\\FILE0009.CHK", "x");
    const std::string downloaded = test::WindowsFolder() + "\\Downloaded Program Files";
    const bool downloadedExisted = test::PathExists(downloaded);
    ::CreateDirectoryA(downloaded.c_str(), nullptr);
    test::WriteFileBytes(downloaded + "\\control.ocx", "x");
    root.File("Temp\\setup\\a.tmp");
    SetString(HKEY_CURRENT_USER, test::kRunMruKey, "a", "cmd\\1");
    SetString(HKEY_CURRENT_USER, std::string(test::kOpenSaveMruKey) + "\\txt", "a", "C:\\x.txt");
    root.File("NetHood\\share\\target.lnk");
    SetString(HKEY_CURRENT_USER, test::kSharesKey, "\\\\server\\share", "");
    SetString(HKEY_CURRENT_USER, test::kMappedDrivesKey, "a", "\\\\server\\share");
    test::CreateKey(HKEY_CURRENT_USER, test::kExplorerPoliciesKey);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    HGLOBAL text = ::GlobalAlloc(GMEM_MOVEABLE, 8);
    lstrcpyA(static_cast<char*>(::GlobalLock(text)), "secret");
    ::GlobalUnlock(text);
    ::SetClipboardData(CF_TEXT, text);
    ::CloseClipboard();
    // What lies beside the targets.
    root.File("beside.txt");
    root.File("Recent\\notes.txt");
    test::WriteFileBytes("C:\\FILE0009.TXT", "x");
    test::ScratchKey unrelated;
    SetString(HKEY_CURRENT_USER, unrelated.Path(), "a", "stays");

    SetAllCleaningOptions(m_owner.options, 1);
    StartCleaningRun(m_owner);
    (void)::DeleteFileA("C:\\FILE0009.TXT");

    Lines expected = {"Cleaning Started...", kSeparator};
    expected.insert(expected.end(), kSlotLines.begin(), kSlotLines.end());
    expected.insert(expected.end(), {kSeparator, "Cleaning Done!"});
    EXPECT_EQ(expected, m_owner.AllLines());

    // The prefix reports Windows 7, where NetHood holds the user's own network locations.
    EXPECT_EQ(
        (Lines{"Cache\\", "Cookies\\", "Cookies\\index.dat", "Cookies\\me@kept[1].txt", "NetHood\\", "NetHood\\share\\",
               "NetHood\\share\\target.lnk", "Recent\\", "Recent\\notes.txt", "Temp\\", "beside.txt"}),
        root.Entries());
    EXPECT_EQ(Lines{"Cookie:me@kept.test/"}, test::CacheUrls(true));
    EXPECT_EQ(Lines{}, test::CacheUrls(false));
    for (const char* key :
         {test::kTypedUrlsKey, test::kRunMruKey, test::kOpenSaveMruKey, test::kSharesKey, test::kMappedDrivesKey})
        EXPECT_EQ(Lines{}, test::ValueNames(HKEY_CURRENT_USER, key)) << key;
    EXPECT_EQ(Lines{}, test::ValueNames(HKEY_CURRENT_USER, std::string(test::kSearchAssistantKey) + "\\5001"));
    EXPECT_EQ(Lines{}, test::ValueNames(HKEY_CURRENT_USER, std::string(test::kOpenSaveMruKey) + "\\txt"));
    EXPECT_FALSE(test::PathExists("C:\\FOUND.009"));
    EXPECT_FALSE(test::PathExists("C:\\FILE0009.CHK"));
    EXPECT_EQ(Lines{"corvale-data-link\\"}, test::ListTree(downloaded)) << "only the harness's link stays";
    if (!downloadedExisted)
        ::RemoveDirectoryA(downloaded.c_str());
    EXPECT_FALSE(::IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_EQ(1u, PageFilePolicy());
    EXPECT_EQ(1u, RecentDocsPolicy());
    EXPECT_EQ(Lines{"a"}, test::ValueNames(HKEY_CURRENT_USER, unrelated.Path()));
}

// The Explorer and Open/Save lists beside the older keys of the same options, a row
// each: a run with the row's option alone empties the list (with the lists by file type
// in its subkeys, where it has them) and keeps its keys; a run with every other option
// leaves it whole; a neighbour and the same path under the machine's root keep all.
struct ListRow {
    const char* name;
    int option;
    std::string key;
    bool subLists;
    std::string neighbour;
};

void PrintTo(const ListRow& row, std::ostream* out)
{
    *out << row.name;
}

const std::string kExplorerKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";

class RegistryListRunTest : public CatalogueRunTest, public ::testing::WithParamInterface<ListRow> {
protected:
    // Entries as the lists hold them: item lists with zeros inside, their order, empty
    // data, the default value, the longest name, other types, a name in another script, a
    // name with a zero inside (which the Win32 calls would cut short to another name), a
    // link's own value in a key that is no link.
    static void Fill(HKEY root, const std::string& key)
    {
        std::string itemList(3000, '\0');
        for (size_t i = 0; i < itemList.size(); i += 7)
            itemList[i] = static_cast<char>(i);
        for (const std::string& at : {key, key + "\\.txt", key + "\\Folder"}) {
            test::SetRaw(root, at, "MRUListEx", REG_BINARY, std::string("\1\0\0\0\0\0\0\0\xFF\xFF\xFF\xFF", 12));
            test::SetRaw(root, at, "0", REG_BINARY, itemList);
            test::SetRaw(root, at, "1", REG_BINARY, "");
            test::SetString(root, at, "", "default");
            test::SetDwordValue(root, at, std::string(255, 'n'), 1);
            test::SetRaw(root, at, "a", REG_MULTI_SZ, std::string("x\0y\0", 5));
            test::SetWideString(root, at, L"\x65E5\x672C\x8A9E", L"\x65E5\x672C\x8A9E.txt");
            test::SetCountedValue(root, at, std::wstring(L"0\0hidden", 8), 1);
            test::SetRaw(root, at, "SymbolicLinkValue", REG_LINK, std::string("\\\0R\0e\0g\0", 8));
        }
    }
};

TEST_P(RegistryListRunTest, GoesWithItsOptionAloneAndNothingBesideItChanges)
{
    const ListRow& row = GetParam();
    const test::ScopedKeyRestore neighbour(HKEY_CURRENT_USER, row.neighbour);
    const test::ScopedKeyRestore namesake(HKEY_LOCAL_MACHINE, row.key);
    Fill(HKEY_CURRENT_USER, row.key);
    Fill(HKEY_CURRENT_USER, row.neighbour);
    Fill(HKEY_LOCAL_MACHINE, row.key);
    const std::string filled = test::KeyTreeText(HKEY_CURRENT_USER, row.key);
    const std::string neighbourFilled = test::KeyTreeText(HKEY_CURRENT_USER, row.neighbour);
    const std::string namesakeFilled = test::KeyTreeText(HKEY_LOCAL_MACHINE, row.key);

    SetAllCleaningOptions(m_owner.options, 1);
    m_owner.options.OptionFlags[row.option] = 0;
    StartCleaningRun(m_owner);
    EXPECT_EQ(filled, test::KeyTreeText(HKEY_CURRENT_USER, row.key)) << "changed with its option off";

    SetAllCleaningOptions(m_owner.options, 0);
    m_owner.options.OptionFlags[row.option] = 1;
    StartCleaningRun(m_owner);
    EXPECT_EQ(Lines{}, test::ValueNames(HKEY_CURRENT_USER, row.key));
    for (const char* sub : {"\\.txt", "\\Folder"})
        EXPECT_EQ(row.subLists, test::ValueNames(HKEY_CURRENT_USER, row.key + sub).empty()) << sub;
    EXPECT_EQ((Lines{".txt", "Folder"}), test::SubKeyNames(HKEY_CURRENT_USER, row.key));
    EXPECT_EQ(neighbourFilled, test::KeyTreeText(HKEY_CURRENT_USER, row.neighbour));
    EXPECT_EQ(namesakeFilled, test::KeyTreeText(HKEY_LOCAL_MACHINE, row.key));
}

INSTANTIATE_TEST_SUITE_P(
    Lists, RegistryListRunTest,
    ::testing::Values(
        ListRow{"WordWheelQuery", Option::SearchHistory, test::kWordWheelQueryKey, false, kExplorerKey + "TypedPaths"},
        ListRow{"RecentDocs", Option::RecentDocsHistory, test::kRecentDocsKey, true, kExplorerKey + "FileExts"},
        ListRow{"OpenSavePidlMRU", Option::StartRunHistory, test::kOpenSavePidlMruKey, true,
                kExplorerKey + "ComDlg32\\CIDSizeMRU"},
        ListRow{"LastVisitedPidlMRU", Option::StartRunHistory, test::kLastVisitedPidlMruKey, false,
                kExplorerKey + "ComDlg32\\LastVisitedPidlMRULegacy"},
        ListRow{"LastVisitedMRU", Option::StartRunHistory, test::kLastVisitedMruKey, false,
                kExplorerKey + "ComDlg32\\FirstFolder"}),
    [](const ::testing::TestParamInfo<ListRow>& info) { return std::string(info.param.name); });

} // namespace
} // namespace corvale
