// CRegistryKey and the list cleaning on real keys under a scratch key of HKCU.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "engine/RegistryKey.h"
#include "platform/AnsiText.h"
#include "support/EngineScratch.h"

namespace corvale {
namespace {

using test::SetString;
using test::SubKeyNames;
using test::ValueNames;
using Names = std::vector<std::string>;

class RegistryKeyTest : public ::testing::Test {
protected:
    std::string Sub(const std::string& relative) const { return m_key / relative; }

    test::ScratchKey m_key;
};

TEST_F(RegistryKeyTest, FindValueMatchesTheExactNameOnly)
{
    SetString(HKEY_CURRENT_USER, m_key.Path(), "Cookies", "C:\\users\\me\\Cookies");
    SetString(HKEY_CURRENT_USER, m_key.Path(), "Cache", "C:\\users\\me\\Temporary Internet Files");
    test::SetWideString(HKEY_CURRENT_USER, m_key.Path(), L"\x141\xF3\x64\x17A", L"\x65E5\x672C\x8A9E");
    const CRegistryKey key(WideFromAnsi(m_key.Path()), HKEY_CURRENT_USER);

    RegistryValue value;
    ASSERT_TRUE(key.FindValue(L"Cache", value).Found);
    EXPECT_EQ(L"Cache", value.Name);
    EXPECT_EQ(L"C:\\users\\me\\Temporary Internet Files", value.Data);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), value.Type);
    EXPECT_EQ(L"\x65E5\x672C\x8A9E", key.FindValue(L"\x141\xF3\x64\x17A", value).Data) << "Polish name, Japanese data";

    EXPECT_FALSE(key.FindValue(L"cache", value).Found) << "the lookup is case-sensitive";
    EXPECT_FALSE(key.FindValue(L"Cach", value).Found);
}

TEST_F(RegistryKeyTest, EnumValueReadsDataUpToTheFirstZeroAndEmptyDataAsFound)
{
    test::SetRaw(HKEY_CURRENT_USER, m_key.Path(), "bin", REG_BINARY, std::string("ab\0cd", 5));
    test::SetRaw(HKEY_CURRENT_USER, m_key.Path(), "empty", REG_SZ, std::string());
    test::SetRaw(HKEY_CURRENT_USER, m_key.Path(), "nothing", REG_BINARY, std::string());
    const std::string big(10000, 'z');
    SetString(HKEY_CURRENT_USER, m_key.Path(), "big", big);
    const CRegistryKey key(WideFromAnsi(m_key.Path()), HKEY_CURRENT_USER);

    RegistryValue value;
    EXPECT_EQ(L"ab", key.FindValue(L"bin", value).Data);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), value.Type);
    EXPECT_EQ(WideFromAnsi(big), key.FindValue(L"big", value).Data);
    value.Data = L"stale";
    ASSERT_TRUE(key.FindValue(L"empty", value).Found);
    EXPECT_EQ(L"", value.Data);
    ASSERT_TRUE(key.FindValue(L"nothing", value).Found);
    EXPECT_EQ(L"", value.Data);
    EXPECT_FALSE(key.EnumValue(4, value).Found);
}

TEST_F(RegistryKeyTest, AMissingKeyStaysClosedAndEveryOperationDoesNothing)
{
    const std::string missing = Sub("missing");
    CRegistryKey key(WideFromAnsi(missing), HKEY_CURRENT_USER);

    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(0, key.SetDword(L"NoRecentDocsHistory", 1));
    RegistryValue value;
    EXPECT_FALSE(key.EnumValue(0, value).Found);
    EXPECT_FALSE(key.FindValue(L"", value).Found);
    CRegistryKey child;
    EXPECT_FALSE(key.EnumSubKey(0, child));
    key.DeleteAllValues();
    key.DeleteAllSubKeyValues();
    EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER, missing)) << "opening never creates";
}

TEST_F(RegistryKeyTest, SetDwordWritesAFourByteValue)
{
    CRegistryKey key(WideFromAnsi(m_key.Path()), HKEY_CURRENT_USER);
    EXPECT_EQ(ERROR_SUCCESS, key.SetDword(L"ClearPageFileAtShutdown", 1));
    EXPECT_EQ(1u, test::GetDwordValue(HKEY_CURRENT_USER, m_key.Path(), "ClearPageFileAtShutdown"));
    key.SetDword(L"ClearPageFileAtShutdown", 0);
    EXPECT_EQ(0u, test::GetDwordValue(HKEY_CURRENT_USER, m_key.Path(), "ClearPageFileAtShutdown"));
}

TEST_F(RegistryKeyTest, DeleteAllValuesEmptiesATypedAddressList)
{
    for (int i = 1; i <= 25; ++i)
        SetString(HKEY_CURRENT_USER, m_key.Path(), "url" + std::to_string(i),
                  "http://example" + std::to_string(i) + ".test/");
    CRegistryKey(WideFromAnsi(m_key.Path()), HKEY_CURRENT_USER).DeleteAllValues();

    EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, m_key.Path()));
    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, m_key.Path()));
}

TEST_F(RegistryKeyTest, DeleteAllValuesTakesOrderAndDefaultValuesButKeepsSubKeys)
{
    SetString(HKEY_CURRENT_USER, m_key.Path(), "a", "first.txt");
    SetString(HKEY_CURRENT_USER, m_key.Path(), "b", "second.txt");
    SetString(HKEY_CURRENT_USER, m_key.Path(), "c", "third.txt");
    SetString(HKEY_CURRENT_USER, m_key.Path(), "MRUList", "cba");
    SetString(HKEY_CURRENT_USER, m_key.Path(), "", "default");
    SetString(HKEY_CURRENT_USER, Sub("txt"), "a", "inner.txt");

    CRegistryKey(WideFromAnsi(m_key.Path()), HKEY_CURRENT_USER).DeleteAllValues();

    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, m_key.Path()));
    EXPECT_EQ(Names{"txt"}, SubKeyNames(HKEY_CURRENT_USER, m_key.Path()));
    EXPECT_EQ(Names{"a"}, ValueNames(HKEY_CURRENT_USER, Sub("txt")));
}

TEST_F(RegistryKeyTest, DeleteAllValuesTakesNamesInEveryScriptAndEndsOnValuesItCannotDelete)
{
    // Names the ANSI code page spells only by a best fit, or not at all.
    for (const wchar_t* name : {L"a", L"\x0100share", L"\x2122", L"\x141\xF3\x64\x17A", L"\x65E5\x672C\x8A9E"})
        test::SetWideString(HKEY_CURRENT_USER, m_key.Path(), name, L"x");
    CRegistryKey(WideFromAnsi(m_key.Path()), HKEY_CURRENT_USER, KEY_QUERY_VALUE).DeleteAllValues();
    ASSERT_EQ(5u, ValueNames(HKEY_CURRENT_USER, m_key.Path()).size()) << "no right to delete: the walk still ends";

    CRegistryKey(WideFromAnsi(m_key.Path()), HKEY_CURRENT_USER).DeleteAllValues();

    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, m_key.Path()));
}

TEST_F(RegistryKeyTest, DeleteAllValuesGoesOnWhileAnotherProgramRewritesTheListsOrder)
{
    // Explorer writes a list's order again, longer, as the user opens files: a value
    // whose data grows between its size and its read must not end the walk.
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        HKEY key = nullptr;
        ::RegOpenKeyExA(HKEY_CURRENT_USER, m_key.Path().c_str(), 0, KEY_SET_VALUE, &key);
        const std::string order(4096, '\x01');
        for (DWORD size = 4; writing; size = size % 4096 + 4)
            ::RegSetValueExA(key, "MRUListEx", 0, REG_BINARY, reinterpret_cast<const BYTE*>(order.data()), size);
        ::RegCloseKey(key);
    });
    int stayed = 0;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 50; ++i)
            SetString(HKEY_CURRENT_USER, m_key.Path(), "v" + std::to_string(i), "file.txt");
        CRegistryKey(WideFromAnsi(m_key.Path()), HKEY_CURRENT_USER).DeleteAllValues();
        const Names left = ValueNames(HKEY_CURRENT_USER, m_key.Path());
        stayed += static_cast<int>(std::count_if(left.begin(), left.end(), [](const std::string& name) { return name != "MRUListEx"; }));
    }
    writing = false;
    writer.join();
    EXPECT_EQ(0, stayed);
}

TEST_F(RegistryKeyTest, DeleteAllSubKeyValuesEmptiesTheDirectSubKeysOnly)
{
    SetString(HKEY_CURRENT_USER, m_key.Path(), "x", "own");
    for (const char* sub : {"5001", "5603"}) {
        SetString(HKEY_CURRENT_USER, Sub(sub), "a", "one");
        SetString(HKEY_CURRENT_USER, Sub(sub), "b", "two");
        SetString(HKEY_CURRENT_USER, Sub(sub), "", "default");
    }
    SetString(HKEY_CURRENT_USER, Sub("5603\\deeper"), "d", "deep");

    CRegistryKey(WideFromAnsi(m_key.Path()), HKEY_CURRENT_USER).DeleteAllSubKeyValues();

    EXPECT_EQ(Names{"x"}, ValueNames(HKEY_CURRENT_USER, m_key.Path()));
    EXPECT_EQ((Names{"5001", "5603"}), SubKeyNames(HKEY_CURRENT_USER, m_key.Path()));
    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, Sub("5001")));
    EXPECT_EQ(Names{}, ValueNames(HKEY_CURRENT_USER, Sub("5603")));
    EXPECT_EQ(Names{"d"}, ValueNames(HKEY_CURRENT_USER, Sub("5603\\deeper")));
}

TEST_F(RegistryKeyTest, EnumSubKeyReopensTheChildOnEachSubKey)
{
    SetString(HKEY_CURRENT_USER, Sub("first"), "v1", "1");
    SetString(HKEY_CURRENT_USER, Sub("second"), "v2", "2");
    const CRegistryKey key(WideFromAnsi(m_key.Path()), HKEY_CURRENT_USER);
    CRegistryKey child;
    RegistryValue value;

    ASSERT_TRUE(key.EnumSubKey(0, child));
    EXPECT_EQ(L"v1", child.EnumValue(0, value).Name);
    ASSERT_TRUE(key.EnumSubKey(1, child));
    EXPECT_EQ(L"v2", child.EnumValue(0, value).Name);
    EXPECT_FALSE(key.EnumSubKey(2, child));

    EXPECT_TRUE(child.Reopen(L"first", key.Handle()));
    EXPECT_FALSE(child.Reopen(L"none", key.Handle()));
    EXPECT_FALSE(child.IsOpen());
}

} // namespace
} // namespace corvale
