// The touch policy's rules on the facts a sweep gathers: which folder it enters, which
// file it takes for a folder's own, when it clears a read-only bit, what rights it
// settles for, what the disk-check masks take and which cache files may go.
#include <gtest/gtest.h>

#include "engine/PathRules.h"
#include "engine/TouchPolicy.h"

namespace corvale {
namespace {

constexpr std::uint32_t kFolder = 0x10;
constexpr std::uint32_t kLink = 0x400;

// Protected: the folder with index 7, Documents.
struct OneProtectedFolder : IProtectedFolders {
    bool IsOrHolds(const HandleFacts& folder, const std::wstring&) override { return IsProtected(folder); }
    bool IsProtected(const HandleFacts& folder) override { return folder.index == 7; }
    std::wstring Within(const std::wstring& key) override
    {
        return IsSameOrInside(key, kDocuments) ? kDocuments : std::wstring();
    }
    const std::wstring kDocuments = L"C:\\USERS\\ME\\DOCUMENTS";
};

HandleFacts Opened(std::uint32_t attributes, std::uint64_t index, const std::wstring& name,
                   std::uint32_t reparseTag = 0)
{
    return HandleFacts{attributes, reparseTag, index, 1, false, name, 0};
}

struct EnterCase {
    const char* name;
    std::uint32_t listedAttributes;
    std::uint64_t listedIndex;
    HandleFacts opened;
    bool entered;
};

TEST(TouchPolicyTest, EntersOnlyTheVeryFolderListedAndNeverALinkOrAProtectedFolder)
{
    const std::wstring parent = L"\\??\\C:\\Temp";
    const std::wstring own = parent + L"\\b";
    const EnterCase cases[] = {
        {"TheFolderListed", kFolder, 5, Opened(kFolder, 5, own), true},
        {"NoIndexListed", kFolder, 0, Opened(kFolder, 5, own), true},
        {"ListedAsALink", kFolder | kLink, 5, Opened(kFolder, 5, own), false},
        {"OpenedAsALink", kFolder, 5, Opened(kFolder | kLink, 5, own, 0xA000000C), false},
        {"OpenedAsAJunction", kFolder, 5, Opened(kFolder | kLink, 5, own, 0xA0000003), false},
        {"OpenedAsACloudPlaceholder", kFolder, 5, Opened(kFolder | kLink, 5, own, 0x9000001A), false},
        {"NowAFile", kFolder, 5, Opened(0x20, 5, own), false},
        {"AnotherIndex", kFolder, 5, Opened(kFolder, 6, own), false},
        // Two file systems under one drive: the same serial and index, another name.
        {"SameIndexOnAnotherFileSystem", kFolder, 5, Opened(kFolder, 5, L"\\??\\unix\\mnt\\b"), false},
        {"SamePathOnAnotherVolume", kFolder, 5, Opened(kFolder, 5, L"\\Device\\HarddiskVolume2\\Temp\\b"), false},
        {"SamePathOnAnotherDrive", kFolder, 5, Opened(kFolder, 5, L"\\??\\D:\\Temp\\b"), false},
        {"AProtectedFolder", kFolder, 7, Opened(kFolder, 7, own), false},
    };
    OneProtectedFolder protectedFolders;
    const CTouchPolicy policy(protectedFolders);
    for (const EnterCase& c : cases) {
        const ListedEntry entry{L"b", c.listedAttributes, c.listedIndex};
        EXPECT_EQ(c.entered, policy.MayEnter(entry, parent, c.opened, L"C:\\TEMP\\B")) << c.name;
        // A symbolic link or a junction opened as itself goes as a link; nothing else does.
        EXPECT_EQ(c.opened.reparseTag >> 28 == 0xA, CTouchPolicy::MayDeleteAsLink(entry, parent, c.opened)) << c.name;
    }
}

TEST(TouchPolicyTest, EmptiesNoRootAndNothingALinkLeadsIntoAProtectedFolder)
{
    OneProtectedFolder protectedFolders;
    const CTouchPolicy policy(protectedFolders);
    const HandleFacts folder = Opened(kFolder, 5, L"\\??\\D:\\Temp");
    const std::wstring thesis = L"C:\\USERS\\ME\\DOCUMENTS\\THESIS";
    EXPECT_TRUE(policy.MayEmpty(L"D:\\TEMP", L"D:\\TEMP", folder, false));
    EXPECT_FALSE(policy.MayEmpty(L"D:\\TEMP", L"D:\\TEMP", folder, true)) << "a volume mounted in a folder";
    EXPECT_FALSE(policy.MayEmpty(L"C:\\TMP", thesis, folder, false)) << "another user's link into Documents";
    EXPECT_FALSE(policy.MayEmpty(L"P:\\", thesis, folder, false)) << "a drive letter for a folder in Documents";
    EXPECT_TRUE(policy.MayEmpty(L"C:\\USERS\\ME\\APPDATA\\TEMP", L"D:\\TEMP", folder, false)) << "TEMP moved";
    EXPECT_TRUE(policy.MayEmpty(L"C:\\USERS\\ME\\DOCUMENTS\\OLD", thesis, folder, false)) << "within Documents";
    EXPECT_FALSE(policy.MayEmpty(thesis, thesis, Opened(kFolder, 7, L"x"), false)) << "a protected folder";

    EXPECT_TRUE(policy.MayLookInto(folder, kDiskCheckFoldersMask, true));
    EXPECT_FALSE(policy.MayLookInto(folder, kDiskCheckFilesMask, false)) << "a drive letter for a folder";
    EXPECT_TRUE(policy.MayLookInto(folder, L"*.txt", false));
    EXPECT_FALSE(policy.MayLookInto(Opened(kFolder, 7, L"x"), kDiskCheckFoldersMask, true));
}

TEST(TouchPolicyTest, AFileIsTheFoldersOwnEntryByItsFullNameAlone)
{
    EXPECT_TRUE(CTouchPolicy::IsOwnEntry(L"\\??\\C:\\Temp", L"a.txt", L"\\??\\C:\\Temp\\a.txt"));
    EXPECT_TRUE(CTouchPolicy::IsOwnEntry(L"\\??\\C:\\", L"a.txt", L"\\??\\C:\\a.txt"));
    for (const wchar_t* elsewhere : {L"\\??\\D:\\Temp\\a.txt", L"\\??\\C:\\Temp\\A.txt", L"\\??\\C:\\Temp\\x\\a.txt",
                                     L"\\??\\C:\\Tempa.txt", L"\\??\\C:\\Temp\\a.txt2", L""})
        EXPECT_FALSE(CTouchPolicy::IsOwnEntry(L"\\??\\C:\\Temp", L"a.txt", elsewhere)) << elsewhere;
    EXPECT_FALSE(CTouchPolicy::IsOwnEntry(L"", L"a.txt", L"\\a.txt"));
}

TEST(TouchPolicyTest, ClearsReadOnlyOnlyWhereItIsSetOnAFileOfOneName)
{
    const auto facts = [](std::uint32_t attributes, std::uint32_t links) {
        return HandleFacts{attributes, 0, 5, links, false, L"\\??\\C:\\a", 0};
    };
    EXPECT_TRUE(CTouchPolicy::MayClearReadOnly(facts(0x1, 1)));
    EXPECT_TRUE(CTouchPolicy::MayClearReadOnly(facts(0x1 | kFolder, 1)));
    EXPECT_FALSE(CTouchPolicy::MayClearReadOnly(facts(0x26, 1))) << "hidden and system refuse no delete";
    EXPECT_FALSE(CTouchPolicy::MayClearReadOnly(facts(0x1, 2))) << "a hard link shares the bit";
}

TEST(TouchPolicyTest, SettlesForFewerRightsOnlyWhereTheEntryCanStillBeCleaned)
{
    using R = EntryRights;
    using S = OpenStatus;
    const struct {
        bool isFolder;
        R asked;
        S status;
        std::optional<R> next;
    } cases[] = {
        {false, R::DeleteAndChange, S::Refused, R::DeleteOnly}, // may delete, may not change
        {false, R::DeleteOnly, S::Refused, std::nullopt},     {false, R::DeleteAndChange, S::InUse, std::nullopt},
        {false, R::DeleteAndChange, S::Gone, std::nullopt},   {true, R::DeleteAndChange, S::Refused, R::DeleteOnly},
        {true, R::DeleteOnly, S::Refused, R::ListOnly},       {true, R::ListOnly, S::Refused, std::nullopt},
        {true, R::DeleteAndChange, S::InUse, R::ListOnly}, // held without delete sharing
        {true, R::ListOnly, S::InUse, std::nullopt},          {true, R::DeleteAndChange, S::Failed, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.next, CTouchPolicy::SettleFor(c.isFolder, c.asked, c.status))
            << c.isFolder << static_cast<int>(c.asked) << static_cast<int>(c.status);
}

TEST(TouchPolicyTest, TheDiskCheckMasksTakeItsFoldersAndFilesAlone)
{
    const struct {
        const wchar_t* name;
        bool isFolder;
        const wchar_t* mask;
        bool taken;
    } cases[] = {
        {L"FOUND.000", true, kDiskCheckFoldersMask, true},     {L"found.017", true, kDiskCheckFoldersMask, true},
        {L"FOUND.000", false, kDiskCheckFoldersMask, false},   {L"Found.docx", false, kDiskCheckFoldersMask, false},
        {L"Found.old", true, kDiskCheckFoldersMask, false},    {L"FOUND.", true, kDiskCheckFoldersMask, false},
        {L"FILE0001.CHK", false, kDiskCheckFilesMask, true},   {L"file12345.chk", false, kDiskCheckFilesMask, true},
        {L"FILE0001.CHK", true, kDiskCheckFilesMask, false},   {L"FILE.CHK", false, kDiskCheckFilesMask, false},
        {L"FILEnotes.CHK", false, kDiskCheckFilesMask, false}, {L"a.txt", true, L"*.txt", true},
        {L"a.txt", false, L"*.txt", true},                     {L"a.doc", false, L"*.txt", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.taken, CTouchPolicy::TakesMaskedEntry(c.name, c.isFolder, c.mask)) << c.name << " " << c.mask;
}

TEST(TouchPolicyTest, ACacheFileGoesOnlyFromInsideItsContainer)
{
    const std::wstring container = L"C:\\USERS\\ME\\INETCACHE\\CONTENT.IE5";
    EXPECT_TRUE(CTouchPolicy::MayDeleteCacheFile(container + L"\\AB12\\PAGE[1].HTM", container));
    for (const std::wstring& file : {std::wstring(L"C:\\USERS\\ME\\DOCUMENTS\\THESIS.DOCX"), container,
                                     container + L"X\\A.HTM", std::wstring(), container.substr(0, 20)})
        EXPECT_FALSE(CTouchPolicy::MayDeleteCacheFile(file, container)) << file;
    EXPECT_FALSE(CTouchPolicy::MayDeleteCacheFile(container + L"\\A.HTM", L""));
}

} // namespace
} // namespace corvale
