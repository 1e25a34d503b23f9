// The settings record against HKCU\Software\Corvale of the test prefix; the key is put
// back as it was after each test.
#include <gtest/gtest.h>

#include <tuple>

#include "settings/SettingsStore.h"
#include "support/EngineScratch.h"

namespace corvale {
namespace {

using test::GetDwordValue;
using test::SetDwordValue;

class SettingsStoreTest : public ::testing::Test {
protected:
    SettingsStoreTest() { test::DeleteKeyTree(HKEY_CURRENT_USER, kSettingsKeyPath); }

    static void Store(const char* name, DWORD value)
    {
        SetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, name, value);
    }
    static std::optional<DWORD> Stored(const char* name)
    {
        return GetDwordValue(HKEY_CURRENT_USER, kSettingsKeyPath, name);
    }

    static CleaningOptions Loaded()
    {
        CleaningOptions options;
        LoadSettings(options);
        return options;
    }

    test::ScopedKeyRestore m_restore{HKEY_CURRENT_USER, kSettingsKeyPath};
};

TEST_F(SettingsStoreTest, WithoutTheKeyEveryOptionIsOffAndTheRestKeepsItsDefaults)
{
    CleaningOptions options;
    options.OptionFlags.fill(1);
    LoadSettings(options);

    for (int flag : options.OptionFlags)
        EXPECT_EQ(0, flag);
    EXPECT_EQ(10, options.Interval);
    EXPECT_EQ(720, options.Time);
    EXPECT_EQ(131174u, options.HotKeyA);
    EXPECT_EQ(1, options.ShowProgress);
    EXPECT_EQ(0, options.CleaningAutoClose);
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, kSettingsKeyPath)) << "loading never creates";
}

TEST_F(SettingsStoreTest, AnEmptyKeyReadsAsZeroesButAutoCloseKeepsItsValue)
{
    test::CreateKey(HKEY_CURRENT_USER, kSettingsKeyPath);
    CleaningOptions options;
    options.CleaningAutoClose = 1;
    LoadSettings(options);

    for (int flag : options.OptionFlags)
        EXPECT_EQ(0, flag);
    EXPECT_EQ(0, options.Interval);
    EXPECT_EQ(0, options.Time);
    EXPECT_EQ(0u, options.HotKeyA);
    EXPECT_EQ(0, options.ShowProgress);
    EXPECT_EQ(1, options.CleaningAutoClose);

    EXPECT_EQ(0, Loaded().CleaningAutoClose);
}

TEST_F(SettingsStoreTest, StoredValuesAreTakenAsTheyAre)
{
    Store("Page1", 0x15);
    Store("Page3", 0x40);
    Store("HotKeyA", 0x00060041);
    Store("Interval", 0);
    Store("Time", 5000);
    Store("ShowProgress", 0);
    Store("CleaningAutoClose", 1);

    const CleaningOptions options = Loaded();
    const int expected[kOptionCount] = {
        1, 0, 1, 0, 1, /* Page2 missing */ 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, /* Page3 */ 0, 0, 0, 0, 0, 0, 1};
    for (int i = 0; i < kOptionCount; ++i)
        EXPECT_EQ(expected[i], options.OptionFlags[i]) << "flag " << i;
    EXPECT_EQ(0x00060041u, options.HotKeyA);
    EXPECT_EQ(0, options.Interval) << "no range check when loading";
    EXPECT_EQ(5000, options.Time);
    EXPECT_EQ(0, options.ShowProgress);
    EXPECT_EQ(1, options.CleaningAutoClose);
}

TEST_F(SettingsStoreTest, PageBitsBeyondThePageAreDroppedOnTheWayBack)
{
    Store("Page1", 0xFFFFFFFF);
    Store("Page2", 0xFFFFFFFF);
    Store("Page3", 0xFFFFFFFF);

    CleaningOptions options = Loaded();
    for (int flag : options.OptionFlags)
        EXPECT_EQ(1, flag);
    ASSERT_EQ(ERROR_SUCCESS, SaveSettings(options));

    EXPECT_EQ(0x1Fu, Stored("Page1"));
    EXPECT_EQ(0x7FFu, Stored("Page2"));
    EXPECT_EQ(0x7Fu, Stored("Page3"));
}

TEST_F(SettingsStoreTest, AnyNonZeroFlagIsSavedAsSetAndLoadsAsOne)
{
    CleaningOptions options;
    options.OptionFlags[Option::IeHistory] = 7;
    options.OptionFlags[Option::RecycleBin] = -1;
    options.OptionFlags[Option::DailyAt] = 2;
    SaveSettings(options);

    EXPECT_EQ(0x2u, Stored("Page1"));
    EXPECT_EQ(0x8u, Stored("Page2"));
    EXPECT_EQ(0x40u, Stored("Page3"));
    const CleaningOptions loaded = Loaded();
    EXPECT_EQ(1, loaded.OptionFlags[Option::IeHistory]);
    EXPECT_EQ(1, loaded.OptionFlags[Option::RecycleBin]);
    EXPECT_EQ(1, loaded.OptionFlags[Option::DailyAt]);
}

TEST_F(SettingsStoreTest, SaveCreatesTheKeyWithAllEightDwordValues)
{
    CleaningOptions options;
    options.OptionFlags[Option::IeCookies] = 1;
    options.OptionFlags[Option::NoRecentDocsHistory] = 1;
    options.OptionFlags[Option::OnLogoff] = 1;
    options.HotKeyA = 0x00030070;
    options.Interval = 45;
    options.Time = 23 * 60 + 59;
    options.ShowProgress = 0;
    options.CleaningAutoClose = 1;
    ASSERT_EQ(ERROR_SUCCESS, SaveSettings(options));

    EXPECT_EQ((std::vector<std::string>{"CleaningAutoClose", "HotKeyA", "Interval", "Page1", "Page2", "Page3",
                                        "ShowProgress", "Time"}),
              test::ValueNames(HKEY_CURRENT_USER, kSettingsKeyPath));
    EXPECT_EQ(0x10u, Stored("Page1"));
    EXPECT_EQ(0x400u, Stored("Page2"));
    EXPECT_EQ(0x1u, Stored("Page3"));
    EXPECT_EQ(0x00030070u, Stored("HotKeyA"));
    EXPECT_EQ(45u, Stored("Interval"));
    EXPECT_EQ(1439u, Stored("Time"));
    EXPECT_EQ(0u, Stored("ShowProgress"));
    EXPECT_EQ(1u, Stored("CleaningAutoClose"));

    const CleaningOptions loaded = Loaded();
    EXPECT_EQ(options.OptionFlags, loaded.OptionFlags);
    EXPECT_EQ(options.HotKeyA, loaded.HotKeyA);
    EXPECT_EQ(options.Interval, loaded.Interval);
    EXPECT_EQ(options.Time, loaded.Time);
    EXPECT_EQ(options.ShowProgress, loaded.ShowProgress);
    EXPECT_EQ(options.CleaningAutoClose, loaded.CleaningAutoClose);
}

TEST_F(SettingsStoreTest, LoadThenSaveWritesBackTheSameValuesAndFillsInMissingOnes)
{
    Store("Page1", 0x0B);
    Store("Page2", 0x555);
    Store("HotKeyA", 0x00020066);
    Store("Time", 90);

    CleaningOptions options;
    options.CleaningAutoClose = 1;
    LoadSettings(options);
    SaveSettings(options);

    EXPECT_EQ(0x0Bu, Stored("Page1"));
    EXPECT_EQ(0x555u, Stored("Page2"));
    EXPECT_EQ(0u, Stored("Page3"));
    EXPECT_EQ(0x00020066u, Stored("HotKeyA"));
    EXPECT_EQ(0u, Stored("Interval"));
    EXPECT_EQ(90u, Stored("Time"));
    EXPECT_EQ(0u, Stored("ShowProgress"));
    EXPECT_EQ(1u, Stored("CleaningAutoClose")) << "a missing value keeps the record's";
}

TEST_F(SettingsStoreTest, ValuesAreReadWithoutRegardToTheirType)
{
    test::SetRaw(HKEY_CURRENT_USER, kSettingsKeyPath, "Interval", REG_BINARY, std::string("\x1e\x00", 2));
    test::SetRaw(HKEY_CURRENT_USER, kSettingsKeyPath, "Time", REG_SZ, std::string("too long for four", 18));
    Store("ShowProgress", 1);

    const CleaningOptions options = Loaded();
    EXPECT_EQ(30, options.Interval) << "a two-byte value fills the low bytes";
    EXPECT_EQ(0, options.Time) << "a value longer than four bytes is not read";
    EXPECT_EQ(1, options.ShowProgress);
}

// Stored data the record was never written as; the value types and sizes are a
// registry's, the numbers the load rules give them: a read of four bytes that takes
// what fits and leaves a value that does not fit at zero.
struct BadData {
    const char* name;
    std::vector<std::tuple<const char*, DWORD, std::string>> values; // name, type, bytes
    enum { Present, Missing, Unopenable } key;
    struct {
        int interval, time;
        std::uint32_t hotKey, page1, page2, page3;
        int showProgress;
    } loads;
};

std::string Le(DWORD value)
{
    return std::string(reinterpret_cast<const char*>(&value), 4);
}

void PrintTo(const BadData& value, std::ostream* os)
{
    *os << value.name;
}

class SettingsBadDataTest : public SettingsStoreTest, public ::testing::WithParamInterface<BadData> {};

TEST_P(SettingsBadDataTest, LoadsByTheRulesWithoutCrashing)
{
    const BadData& row = GetParam();
    for (const auto& [name, type, bytes] : row.values)
        test::SetRaw(HKEY_CURRENT_USER, kSettingsKeyPath, name, type, bytes);
    HKEY link = nullptr;
    if (row.key == BadData::Unopenable) {
        // A registry link to a key that does not exist: present, yet no open succeeds.
        ASSERT_EQ(ERROR_SUCCESS,
                  ::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, REG_OPTION_CREATE_LINK,
                                    KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, nullptr));
        const wchar_t target[] = L"\\Registry\\Machine\\Software\\CorvaleNowhere\\AtAll";
        ::RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target),
                         sizeof(target) - sizeof(wchar_t));
        const std::vector<std::string> keys = test::SubKeyNames(HKEY_CURRENT_USER, "Software");
        ASSERT_TRUE(std::count(keys.begin(), keys.end(), "Corvale") &&
                    !test::KeyExists(HKEY_CURRENT_USER, kSettingsKeyPath));
    }

    CleaningOptions options;
    LoadSettings(options);

    if (link) {
        using DeleteKey = LONG(WINAPI*)(HKEY);
        const auto deleteKey = reinterpret_cast<DeleteKey>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
        EXPECT_EQ(0, deleteKey(link));
        ::RegCloseKey(link);
    }
    EXPECT_EQ(row.loads.interval, options.Interval);
    EXPECT_EQ(row.loads.time, options.Time);
    EXPECT_EQ(row.loads.hotKey, options.HotKeyA);
    EXPECT_EQ(row.loads.showProgress, options.ShowProgress);
    EXPECT_EQ(row.loads.page1, PackPage(options, kOptionPages[0]));
    EXPECT_EQ(row.loads.page2, PackPage(options, kOptionPages[1]));
    EXPECT_EQ(row.loads.page3, PackPage(options, kOptionPages[2]));
    for (int flag : options.OptionFlags)
        EXPECT_TRUE(flag == 0 || flag == 1);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsBadDataTest,
    ::testing::Values(BadData{"Strings",
                              {{"Interval", REG_SZ, std::string("7", 2)},
                               {"Time", REG_SZ, std::string("720", 4)},
                               {"Page1", REG_SZ, std::string("1", 2)},
                               {"HotKeyA", REG_SZ, std::string("12345", 6)}},
                              BadData::Present,
                              {0x37, 0x00303237, 0, 0x11, 0, 0, 0}},
                      BadData{"TwoBytes",
                              {{"HotKeyA", REG_BINARY, std::string("\x66\x00", 2)}, {"Page2", REG_BINARY, "\xFF\xFF"}},
                              BadData::Present,
                              {0, 0, 0x66, 0, 0x7FF, 0, 0}},
                      BadData{"EightBytes",
                              {{"Interval", REG_BINARY, Le(5) + Le(6)},
                               {"Page3", REG_QWORD, Le(0x7F) + Le(0)},
                               {"ShowProgress", REG_BINARY, Le(1) + Le(1)}},
                              BadData::Present,
                              {0, 0, 0, 0, 0, 0, 0}},
                      BadData{"OutOfRange",
                              {{"Interval", REG_DWORD, Le(0xFFFFFFFF)},
                               {"Time", REG_DWORD, Le(99999)},
                               {"Page1", REG_DWORD, Le(0xFFFFFFE0)},
                               {"Page2", REG_DWORD, Le(0x80000800)}},
                              BadData::Present,
                              {-1, 99999, 0, 0, 0, 0, 0}},
                      BadData{"MissingKey", {}, BadData::Missing, {10, 720, 131174, 0, 0, 0, 1}},
                      BadData{"UnopenableKey", {}, BadData::Unopenable, {10, 720, 131174, 0, 0, 0, 1}}),
    [](const ::testing::TestParamInfo<BadData>& info) { return std::string(info.param.name); });

} // namespace
} // namespace corvale
