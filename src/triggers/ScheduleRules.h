#pragma once
// The rules of the schedule: which stored values arm a timer at start-up, what the
// schedule page's interval and time boxes commit as, how a stored time is shown, and
// the minute a daily run is due.

#include <string>

namespace corvale {

constexpr int kMinutesPerDay = 24 * 60;
// The daily time an incomplete or impossible entry commits as (12:00).
constexpr int kFallbackTime = 12 * 60;
// The interval an unusable entry commits as.
constexpr int kFallbackInterval = 10;

// A stored interval arms the interval timer at start-up only from 1 to 998 minutes.
bool IntervalArmsAtStartup(int interval);
// A stored time arms the daily timer at start-up only from 1 (00:01) to 1439 (23:59).
bool TimeArmsAtStartup(int time);

// The number at the start of the interval box's text (leading blanks and a sign allowed,
// digits up to the first other character); 10 when that is below 1 or above 999.
int IntervalFromText(const std::string& text);

// The four placeholder characters of the time box ("hhmm"); 720 unless every position
// holds a digit, the hours are at most 23 and the minutes at most 59.
int TimeFromDigits(const std::string& digits);
// The digits the time box is filled with: hours then minutes, each at least two digits.
// A stored time beyond a day shows its hours as they are (1500 shows as 25:00).
std::string DigitsForTime(int time);

// Whether the local clock's hour and minute are the daily run's minute.
bool IsDailyRunMinute(int time, int hour, int minute);

// Lets the daily run through once in its minute of a day. The once-a-minute timer can
// tick twice in that minute (a tick held back across the minute's start by a busy queue,
// then the next on time), and the hour the clock repeats when summer time ends repeats it.
class DailyRunGate {
public:
    // Whether a tick at this local date and time starts the daily run set for `time`.
    bool Pass(int time, int year, int month, int day, int hour, int minute);

private:
    // The day and set time of the last run let through, as one number; -1 for none.
    long long m_lastRun = -1;
};

} // namespace corvale
