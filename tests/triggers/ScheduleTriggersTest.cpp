// The timers and the hot key armed at start-up from the stored settings, told apart by
// their ids, and released at the end: checked on a real window's timers and hot keys.
#include "dialogs/TestPageHost.h"

#include <gtest/gtest.h>

namespace corvale {
namespace {

TEST(ScheduleTriggers, StartupArmsFromTheStoredSettingsAndReleaseAllEndsAll)
{
    struct Case {
        int interval, time;
        std::uint32_t hotKeyA; // 0x20066 Ctrl + numeric-keypad 6, 0xD0024 Shift + Alt + Home (extended)
        UINT modifiers;
        bool heldElsewhere, timers, hotKeyOn;
    };
    const Case cases[] = {
        {10, 720, 0x20066, MOD_CONTROL, false, true, true},
        {998, 1439, 0xD0024, MOD_SHIFT | MOD_ALT, false, true, true},
        {1, 1, 0x20066, MOD_CONTROL, true, true, false},
        {999, 0, 0, 0, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        test::HostWindow other;
        ASSERT_TRUE(other.Create(RECT{0, 0, 1, 1}));
        ASSERT_TRUE(!c.heldElsewhere || ::RegisterHotKey(other, 0x78, c.modifiers, c.hotKeyA & 0xFFFF));
        test::TestPageHost host;
        ASSERT_TRUE(host.Create());
        CleaningOptions& options = host.m_options;
        options.OptionFlags[Option::EveryInterval] = options.OptionFlags[Option::DailyAt] = 1;
        options.OptionFlags[Option::OnHotKey] = 1;
        options.Interval = c.interval;
        options.Time = c.time;
        options.HotKeyA = c.hotKeyA;
        CScheduleTriggers& triggers = host.m_triggers;
        triggers.ArmAtStartup(options);

        EXPECT_EQ(c.hotKeyOn, options.OptionFlags[Option::OnHotKey] == 1);
        EXPECT_EQ(c.timers, triggers.IsIntervalTimer(1) && triggers.IsDailyTimer(CScheduleTriggers::kDailyTimer));
        EXPECT_FALSE(triggers.IsIntervalTimer(CScheduleTriggers::kDailyTimer) || triggers.IsDailyTimer(1));
        EXPECT_TRUE(c.hotKeyA == 0 || !test::HotKeyFree(c.modifiers, c.hotKeyA & 0xFFFF));
        EXPECT_EQ(c.hotKeyA != 0, triggers.HotKeyAtom() != 0) << "a failed registration keeps its atom";
        EXPECT_EQ(c.timers, ::KillTimer(host, 1) && ::KillTimer(host, CScheduleTriggers::kDailyTimer));
        triggers.ArmAtStartup(options); // again, for the end to release
        triggers.ReleaseAll();
        EXPECT_FALSE(::KillTimer(host, 1) || ::KillTimer(host, CScheduleTriggers::kDailyTimer));
        EXPECT_TRUE(c.hotKeyA == 0 || c.heldElsewhere || test::HotKeyFree(c.modifiers, c.hotKeyA & 0xFFFF));
        EXPECT_EQ(0, ::GlobalFindAtomA(CScheduleTriggers::kHotKeyAtomName));
    }
}

} // namespace
} // namespace corvale
