// The hot key between its stored form, the hot-key control's word and RegisterHotKey.
#include "triggers/HotKeyCode.h"

#include <gtest/gtest.h>

namespace corvale {
namespace {

struct HotKeyCase {
    std::uint32_t stored;
    std::uint16_t controlWord;
    std::uint32_t registerModifiers;
    std::uint32_t registerKey;
};

TEST(HotKeyCode, ConversionsAndModifierTranslation)
{
    const HotKeyCase cases[] = {
        {0x00020066, 0x0266, 0x0002, 0x66}, // the default: Ctrl + numeric-keypad 6
        {0x00010041, 0x0141, 0x0004, 0x41}, // Shift
        {0x00040076, 0x0476, 0x0001, 0x76}, // Alt
        {0x00070030, 0x0730, 0x0007, 0x30}, // all three
        {0x000A0024, 0x0A24, 0x0002, 0x24}, // Ctrl + Home: the extended bit adds no Windows key
        {0x00F20066, 0xF266, 0x0002, 0x66}, // bits the control never sets are not modifiers
        {0x00000000, 0x0000, 0x0000, 0x00},
    };
    for (const HotKeyCase& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(c.controlWord, HotKeyControlWord(c.stored));
        EXPECT_EQ(c.registerModifiers, RegisterModifiers(c.stored));
        EXPECT_EQ(c.registerKey, RegisterVirtualKey(c.stored));
        EXPECT_EQ(c.stored, HotKeyFromControl(c.controlWord & 0xFF, c.controlWord >> 8));
    }
    // The control's word has room for one byte of key: a wider stored key is cut there.
    EXPECT_EQ(0x0212, HotKeyControlWord(0xAB021312));
    EXPECT_EQ(0x1312u, RegisterVirtualKey(0xAB021312));
}

} // namespace
} // namespace corvale
