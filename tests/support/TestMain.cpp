// The main() of every test program. A cleaner's tests must never reach real files, so
// they run only inside the harness's sandbox: its own prefix, with no drive that maps
// the host's root.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool InsideSandbox()
{
    const char* flag = std::getenv("CORVALE_TEST_SANDBOX");
    if (!flag || std::strcmp(flag, "1") != 0) {
        std::fprintf(stderr, "refusing to run: start the tests with scripts/test (no sandbox)\n");
        return false;
    }
    if (::GetDriveTypeA("Z:\\") != DRIVE_NO_ROOT_DIR) {
        std::fprintf(stderr, "refusing to run: drive Z: exists in this prefix\n");
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!InsideSandbox())
        return 2;
    return RUN_ALL_TESTS();
}
