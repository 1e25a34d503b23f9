// What the schedule page's boxes commit as, how a stored time is shown, which stored
// values arm a timer at start-up, and the daily run's minute.
#include "triggers/ScheduleRules.h"

#include <gtest/gtest.h>

namespace corvale {
namespace {

TEST(ScheduleRules, IntervalText)
{
    const std::pair<const char*, int> cases[] = {
        {"0", 10},       {"1000", 10}, {"abc", 10}, {"", 10},   {"999", 999},  {"15abc", 15},
        {" 15", 15},     {"1", 1},     {"+15", 15}, {"-5", 10}, {"\t 7 8", 7}, {"99999999999999999999", 10},
        {"0000042", 42},
    };
    for (const auto& [text, interval] : cases)
        EXPECT_EQ(interval, IntervalFromText(text)) << '"' << text << '"';
}

TEST(ScheduleRules, TimeDigits)
{
    const std::pair<const char*, int> cases[] = {
        {"2359", 1439}, {"2400", 720}, {"1260", 720}, {"0000", 0}, {"1_30", 720},  {"____", 720},
        {"0930", 570},  {"ab12", 720}, {"123", 720},  {"", 720},   {"12345", 720},
    };
    for (const auto& [digits, time] : cases)
        EXPECT_EQ(time, TimeFromDigits(digits)) << '"' << digits << '"';
}

TEST(ScheduleRules, StoredTimeShown)
{
    const std::pair<int, const char*> cases[] = {
        {720, "1200"}, {0, "0000"}, {1439, "2359"}, {65, "0105"}, {1500, "2500"}, {-1, "7158278815"},
    };
    for (const auto& [time, digits] : cases)
        EXPECT_EQ(digits, DigitsForTime(time)) << time;
    // Whatever is stored, the box's four digits commit as a time of the day.
    for (int time : {1500, -1, -100000, 6000, 99999999})
        EXPECT_LT(TimeFromDigits(DigitsForTime(time).substr(0, 4)), kMinutesPerDay) << time;
}

TEST(ScheduleRules, StartupArming)
{
    for (int interval : {1, 10, 998})
        EXPECT_TRUE(IntervalArmsAtStartup(interval)) << interval;
    for (int interval : {0, -1, 999, 1000})
        EXPECT_FALSE(IntervalArmsAtStartup(interval)) << interval;
    for (int time : {1, 720, 1439})
        EXPECT_TRUE(TimeArmsAtStartup(time)) << time;
    for (int time : {0, -1, 1440})
        EXPECT_FALSE(TimeArmsAtStartup(time)) << time;
}

TEST(ScheduleRules, DailyRunMinute)
{
    EXPECT_TRUE(IsDailyRunMinute(720, 12, 0));
    EXPECT_FALSE(IsDailyRunMinute(720, 12, 1));
    EXPECT_FALSE(IsDailyRunMinute(720, 11, 59));
    EXPECT_TRUE(IsDailyRunMinute(0, 0, 0));
    EXPECT_TRUE(IsDailyRunMinute(1439, 23, 59));
    EXPECT_FALSE(IsDailyRunMinute(1500, 1, 0)) << "a time beyond the day never comes";
}

} // namespace
} // namespace corvale
