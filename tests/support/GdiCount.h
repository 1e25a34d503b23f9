#pragma once
// The number of GDI objects this process holds, for leak checks around code that creates
// and deletes them. Windows answers GetGuiResources. Wine 8 does not implement it (it
// returns 0), but keeps the same per-process GDI handle table as Windows, found through
// the PEB, and its used entries are the objects alive.

#include <windows.h>

#include <cstdint>

namespace corvale::test {

inline int CountGdiObjects()
{
    const DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0)
        return static_cast<int>(reported);

        // Wine's GDI_HANDLE_ENTRY: 64-bit object pointer, owner, unique, type, flags, user data.
#pragma pack(push, 4)
    struct HandleEntry {
        std::uint64_t object;
        std::uint32_t owner;
        std::uint16_t unique;
        std::uint8_t type;
        std::uint8_t flags;
        std::uint64_t userPointer;
    };
#pragma pack(pop)
    static_assert(sizeof(HandleEntry) == 24, "layout of Wine's GDI handle entries");
    constexpr int kMaxHandles = 0x10000;

    // The PEB pointer sits at fs:0x30 in a 32-bit process and at gs:0x60 in a 64-bit one
    // (NtCurrentTeb reads it the same way, but GCC takes that read for an out-of-bounds
    // access and warns).
    const std::uint8_t* peb = nullptr;
#ifdef _WIN64
    constexpr std::size_t kHandleTableOffsetInPeb = 0xF8;
    asm("movq %%gs:0x60, %0" : "=r"(peb));
#else
    constexpr std::size_t kHandleTableOffsetInPeb = 0x94;
    asm("movl %%fs:0x30, %0" : "=r"(peb));
#endif
    const auto* table = *reinterpret_cast<const HandleEntry* const*>(peb + kHandleTableOffsetInPeb);
    if (!table)
        return -1;
    int used = 0;
    for (int i = 0; i < kMaxHandles; ++i) {
        if (table[i].type != 0)
            ++used;
    }
    return used;
}

} // namespace corvale::test
