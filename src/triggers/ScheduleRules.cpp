#include "triggers/ScheduleRules.h"

#include <cstdio>

namespace corvale {
namespace {

constexpr int kLargestInterval = 999;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool IntervalArmsAtStartup(int interval)
{
    return interval >= 1 && interval <= 998;
}

bool TimeArmsAtStartup(int time)
{
    return time >= 1 && time < kMinutesPerDay;
}

int IntervalFromText(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Any length of digits may be typed; past the largest interval the value is
    // out of range whatever follows, so it stops growing there.
    int value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (value <= kLargestInterval)
            value = value * 10 + (text[i] - '0');
    }
    if (negative || value < 1 || value > kLargestInterval)
        return kFallbackInterval;
    return value;
}

int TimeFromDigits(const std::string& digits)
{
    if (digits.size() != 4)
        return kFallbackTime;
    for (char c : digits) {
        if (!IsDigit(c))
            return kFallbackTime;
    }
    const int hours = (digits[0] - '0') * 10 + (digits[1] - '0');
    const int minutes = (digits[2] - '0') * 10 + (digits[3] - '0');
    if (hours > 23 || minutes > 59)
        return kFallbackTime;
    return hours * 60 + minutes;
}

std::string DigitsForTime(int time)
{
    // Unsigned, as the box has no room for a sign: a negative stored time shows as
    // some impossible time, which commits as 12:00.
    const unsigned minutesAfterMidnight = static_cast<unsigned>(time);
    char text[32] = {};
    std::snprintf(text, sizeof text, "%02u%02u", minutesAfterMidnight / 60, minutesAfterMidnight % 60);
    return text;
}

bool IsDailyRunMinute(int time, int hour, int minute)
{
    return hour * 60 + minute == time;
}

bool DailyRunGate::Pass(int time, int year, int month, int day, int hour, int minute)
{
    if (!IsDailyRunMinute(time, hour, minute))
        return false;
    const long long run = ((static_cast<long long>(year) * 13 + month) * 32 + day) * kMinutesPerDay + time;
    if (run == m_lastRun)
        return false;
    m_lastRun = run;
    return true;
}

} // namespace corvale
