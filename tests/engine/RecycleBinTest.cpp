// Slot 9 against a real Recycle Bin: Wine keeps it in the freedesktop trash of the
// test HOME, which the harness reaches as CORVALE_TEST_TRASH through drive B:.
#include "engine/TaskCatalogue.h"

#include "support/EngineScratch.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace corvale {
namespace {

bool SendToRecycleBin(const std::string& path)
{
    std::string from = path;
    from.push_back('\0'); // the list ends with two zero bytes
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return ::SHFileOperationA(&operation) == 0 && !operation.fAnyOperationsAborted;
}

TEST(RecycleBinTest, BinnedFilesAreGoneAfterTheSlot)
{
    // The harness always says where the trash is: without it the test would prove nothing.
    const char* trash = std::getenv("CORVALE_TEST_TRASH");
    ASSERT_NE(nullptr, trash) << "the harness did not say where the trash is";
    const std::string binned = std::string(trash) + "\\files\\corvale-binned.txt";

    test::ScratchFolder folder;
    const std::string file = folder.File("corvale-binned.txt", "to the bin");
    ASSERT_TRUE(SendToRecycleBin(file));
    ASSERT_FALSE(test::PathExists(file));
    ASSERT_TRUE(test::PathExists(binned)) << "Wine put the file somewhere else than " << binned;

    EmptyRecycleBin();
    EXPECT_FALSE(test::PathExists(binned));
    EXPECT_TRUE(test::PathExists(folder.Path())) << "only the bin is emptied";
}

} // namespace
} // namespace corvale
