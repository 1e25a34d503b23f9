// The schedule's timers and hot key armed at start-up from the stored settings, told
// apart by their ids, and all released at the end; checked on a real window's timers
// and hot-key registrations.
#include "triggers/ScheduleTriggers.h"

#include "controls/TestWindows.h"

#include <gtest/gtest.h>

namespace corvale {
namespace {

// Whether another window could register the key now.
bool KeyFree(UINT modifiers, UINT key)
{
    test::HostWindow other;
    other.Create(RECT{0, 0, 1, 1});
    if (!::RegisterHotKey(other, 0x77, modifiers, key))
        return false;
    ::UnregisterHotKey(other, 0x77);
    return true;
}

struct StartupCase {
    int everyInterval, interval, dailyAt, time, onHotKey;
    std::uint32_t hotKeyA;
    UINT registeredModifiers;
    bool heldElsewhere;
    bool intervalTimer, dailyTimer;
    int onHotKeyAfter;
};

TEST(ScheduleTriggers, StartupArmsFromTheStoredSettings)
{
    const StartupCase cases[] = {
        {1, 10, 1, 720, 1, 0x00020066, MOD_CONTROL, false, true, true, 1},
        {1, 998, 1, 1439, 0, 0x00020066, MOD_CONTROL, false, true, true, 0},
        {1, 1, 1, 1, 0, 0, 0, false, true, true, 0},
        {1, 999, 1, 0, 0, 0, 0, false, false, false, 0},
        {1, 0, 1, 1440, 0, 0, 0, false, false, false, 0},
        {0, 10, 0, 720, 0, 0, 0, false, false, false, 0},
        {0, 10, 0, 720, 1, 0x00020066, MOD_CONTROL, true, false, false, 0},
        // Shift + Alt + Home: the control marks Home as an extended key.
        {0, 10, 0, 720, 1, 0x000D0024, MOD_SHIFT | MOD_ALT, false, false, false, 1},
        {0, 10, 0, 720, 1, 0, 0, false, false, false, 1},
    };
    for (const StartupCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.interval << " " << c.time << " " << c.hotKeyA);
        test::HostWindow window;
        ASSERT_TRUE(window.Create(RECT{0, 0, 10, 10}));
        test::HostWindow other;
        ASSERT_TRUE(other.Create(RECT{0, 0, 1, 1}));
        const UINT modifiers = c.registeredModifiers;
        if (c.heldElsewhere) {
            ASSERT_TRUE(::RegisterHotKey(other, 0x78, modifiers, c.hotKeyA & 0xFFFF));
        }
        CleaningOptions options;
        auto& flags = options.OptionFlags;
        flags[Option::EveryInterval] = c.everyInterval;
        flags[Option::DailyAt] = c.dailyAt;
        flags[Option::OnHotKey] = c.onHotKey;
        options.Interval = c.interval;
        options.Time = c.time;
        options.HotKeyA = c.hotKeyA;
        CScheduleTriggers triggers;
        triggers.SetWindow(window);
        triggers.ArmAtStartup(options);

        EXPECT_EQ(c.onHotKeyAfter, flags[Option::OnHotKey]);
        EXPECT_EQ(c.intervalTimer, triggers.IsIntervalTimer(1));
        EXPECT_EQ(c.dailyTimer, triggers.IsDailyTimer(CScheduleTriggers::kDailyTimer));
        EXPECT_FALSE(triggers.IsIntervalTimer(CScheduleTriggers::kDailyTimer));
        EXPECT_FALSE(triggers.IsDailyTimer(0));
        EXPECT_EQ(c.intervalTimer, ::KillTimer(window, 1) != FALSE);
        EXPECT_EQ(c.dailyTimer, ::KillTimer(window, CScheduleTriggers::kDailyTimer) != FALSE);
        if (c.hotKeyA != 0 && !c.heldElsewhere) {
            EXPECT_EQ(c.onHotKey == 1, !KeyFree(modifiers, c.hotKeyA & 0xFFFF));
        }
        // A failed registration keeps its atom until the end.
        EXPECT_EQ(c.onHotKey == 1 && c.hotKeyA != 0, triggers.HotKeyAtom() != 0);

        triggers.ReleaseAll();
        EXPECT_FALSE(triggers.IsIntervalTimer(1) || triggers.IsDailyTimer(CScheduleTriggers::kDailyTimer));
        if (c.hotKeyA != 0 && !c.heldElsewhere) {
            EXPECT_TRUE(KeyFree(modifiers, c.hotKeyA & 0xFFFF));
        }
        EXPECT_EQ(0, ::GlobalFindAtomA(CScheduleTriggers::kHotKeyAtomName));
        if (c.heldElsewhere)
            ::UnregisterHotKey(other, 0x78);
    }
}

TEST(ScheduleTriggers, ReleaseAllKillsBothTimers)
{
    test::HostWindow window;
    ASSERT_TRUE(window.Create(RECT{0, 0, 10, 10}));
    CleaningOptions options;
    options.OptionFlags[Option::EveryInterval] = options.OptionFlags[Option::DailyAt] = 1;
    CScheduleTriggers triggers;
    triggers.SetWindow(window);
    triggers.ArmAtStartup(options);
    ASSERT_NE(0u, triggers.IntervalTimerId());
    triggers.ReleaseAll();
    EXPECT_FALSE(::KillTimer(window, 1));
    EXPECT_FALSE(::KillTimer(window, CScheduleTriggers::kDailyTimer));
}

} // namespace
} // namespace corvale
