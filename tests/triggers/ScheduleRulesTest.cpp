// The hot key between its stored form, the hot-key control's word and RegisterHotKey,
// and the minute of the daily run.
#include "triggers/HotKeyCode.h"
#include "triggers/ScheduleRules.h"

#include <gtest/gtest.h>

#include <tuple>

namespace corvale {
namespace {

TEST(HotKeyCode, ConversionsAndModifierTranslation)
{
    struct Case {
        std::uint32_t stored;
        std::uint16_t controlWord;
        std::uint32_t registerModifiers;
    };
    const Case cases[] = {
        {0x00020066, 0x0266, 0x4002}, // the default: Ctrl + numeric-keypad 6, never repeating
        {0x00050041, 0x0541, 0x4005}, // Shift + Alt
        {0x000A0024, 0x0A24, 0x4002}, // Ctrl + Home: the extended bit adds no Windows key
        {0x00F00066, 0xF066, 0x4000}, // bits the control never sets are not modifiers
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.controlWord, HotKeyControlWord(c.stored)) << c.stored;
        EXPECT_EQ(c.registerModifiers, RegisterModifiers(c.stored)) << c.stored;
        EXPECT_EQ(c.stored, HotKeyFromControl(c.controlWord & 0xFF, c.controlWord >> 8));
    }
    EXPECT_EQ(0x1312u, RegisterVirtualKey(0xAB021312));
}

TEST(ScheduleRules, DailyRunMinuteAndStartupRanges)
{
    const std::tuple<int, int, int, bool> minutes[] = {
        {720, 12, 0, true}, {720, 12, 1, false}, {720, 11, 59, false}, {0, 0, 0, true}, {1439, 23, 59, true}};
    for (const auto& [time, hour, minute, due] : minutes)
        EXPECT_EQ(due, IsDailyRunMinute(time, hour, minute)) << time << " " << hour << ":" << minute;
    // Once in the minute of a day: a second tick in it, or the minute again in the hour
    // summer time repeats, runs nothing; the next day, or a new time set that day, runs.
    const std::tuple<int, int, bool> ticks[] = {
        {720, 10, true}, {720, 10, false}, {720, 11, true}, {725, 11, true}, {725, 11, false}};
    DailyRunGate gate;
    for (const auto& [time, day, passes] : ticks)
        EXPECT_EQ(passes, gate.Pass(time, 2024, 10, day, time / 60, time % 60)) << time << " on " << day;
    EXPECT_FALSE(gate.Pass(720, 2024, 10, 12, 12, 1));
    // Start-up arms the interval timer from 1 to 998 minutes, the daily one from 00:01.
    EXPECT_TRUE(IntervalArmsAtStartup(1) && IntervalArmsAtStartup(998) && TimeArmsAtStartup(1) &&
                TimeArmsAtStartup(1439));
    EXPECT_FALSE(IntervalArmsAtStartup(0) || IntervalArmsAtStartup(999) || TimeArmsAtStartup(0) ||
                 TimeArmsAtStartup(1440));
}

} // namespace
} // namespace corvale
