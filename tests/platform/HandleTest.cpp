// Handle owners release exactly once, move cleanly, and leave no GDI object behind.
#include "platform/Gdi.h"
#include "platform/Handle.h"
#include "support/GdiCount.h"

#include <gtest/gtest.h>

#include <utility>

namespace corvale {
namespace {

bool IsOpenHandle(HANDLE handle)
{
    DWORD flags = 0;
    return ::GetHandleInformation(handle, &flags) != FALSE;
}

TEST(Handle, KernelHandleClosesOnceAndMoves)
{
    HANDLE raw = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    {
        KernelHandle first(raw);
        KernelHandle second(std::move(first));
        EXPECT_FALSE(first.IsValid());
        EXPECT_EQ(second.Get(), raw);
        EXPECT_TRUE(IsOpenHandle(raw));
    }
    EXPECT_FALSE(IsOpenHandle(raw));
}

TEST(Handle, FileHandleTreatsInvalidHandleValueAsEmpty)
{
    FileHandle missing(::CreateFileA("C:\\no-such-folder\\no-such-file", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(missing.IsValid());
}

TEST(Handle, RegistryKeyIsClosedOnReset)
{
    RegKey key;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, reinterpret_cast<HKEY*>(key.Receive())),
              ERROR_SUCCESS);
    HKEY raw = key.Get();
    key.Reset();
    EXPECT_FALSE(key.IsValid());
    DWORD subKeys = 0;
    EXPECT_NE(::RegQueryInfoKeyA(raw, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr),
              ERROR_SUCCESS);
}

TEST(Handle, GdiOwnersAndTheSelectGuardLeaveNoObjectBehind)
{
    {
        // The first screen DC makes Wine's DC cache, which lives on: not ours to count.
        WindowDc warmUp(nullptr);
        MemoryDc memory(::CreateCompatibleDC(warmUp.Get()));
    }
    const int before = test::CountGdiObjects();
    {
        // The count must see objects at all, or the comparison below proves nothing.
        GdiObject probe(::CreateSolidBrush(RGB(1, 2, 3)));
        ASSERT_EQ(test::CountGdiObjects(), before + 1);
    }
    for (int i = 0; i < 50; ++i) {
        WindowDc screen(nullptr);
        MemoryDc memory(::CreateCompatibleDC(screen.Get()));
        GdiObject bitmap(::CreateCompatibleBitmap(screen.Get(), 8, 8));
        GdiObject pen(::CreatePen(PS_SOLID, 0, RGB(255, 255, 255)));
        ASSERT_TRUE(memory && bitmap && pen);
        SelectGuard selectBitmap(memory.Get(), bitmap.Get());
        SelectGuard selectPen(memory.Get(), pen.Get());
        // The guards put the displaced objects back before the owners delete theirs.
    }
    EXPECT_EQ(test::CountGdiObjects(), before);
}

} // namespace
} // namespace corvale
