#include "support/FreedMemory.h"

#include <windows.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

void* g_kept[1 << 14];
size_t g_keptCount = 0;
DWORD g_poisonThread = 0;

} // namespace

// Every delete of the test program ends here (operator new takes its memory from malloc).
void operator delete(void* block) noexcept
{
    if (!block || ::GetCurrentThreadId() != g_poisonThread || g_keptCount == std::size(g_kept)) {
        std::free(block);
        return;
    }
    std::memset(block, 0xDD, _msize(block));
    g_kept[g_keptCount++] = block;
}

void operator delete(void* block, std::size_t) noexcept
{
    operator delete(block);
}

namespace corvale::test {

FreedMemoryPoison::FreedMemoryPoison()
{
    g_poisonThread = ::GetCurrentThreadId();
}

FreedMemoryPoison::~FreedMemoryPoison()
{
    g_poisonThread = 0;
    while (g_keptCount > 0)
        std::free(g_kept[--g_keptCount]);
}

} // namespace corvale::test
