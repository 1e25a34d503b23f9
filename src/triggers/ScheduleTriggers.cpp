#include "triggers/ScheduleTriggers.h"

#include "triggers/HotKeyCode.h"
#include "triggers/ScheduleRules.h"

namespace corvale {
namespace {

constexpr UINT kMillisecondsPerMinute = 60000;

} // namespace

void CScheduleTriggers::ArmAtStartup(CleaningOptions& options)
{
    auto& flags = options.OptionFlags;
    if (flags[Option::EveryInterval] == 1 && IntervalArmsAtStartup(options.Interval))
        StartIntervalTimer(options.Interval);
    if (flags[Option::DailyAt] == 1 && TimeArmsAtStartup(options.Time))
        StartDailyTimer();
    // A stored key of 0 is no key: nothing to register, as at a commit.
    if (flags[Option::OnHotKey] == 1 && options.HotKeyA != 0 && !RegisterHotKey(options.HotKeyA))
        flags[Option::OnHotKey] = 0;
}

void CScheduleTriggers::Rearm(const CleaningOptions& before, CleaningOptions& options)
{
    auto& flags = options.OptionFlags;
    const auto& old = before.OptionFlags;
    if (options.Interval != before.Interval || flags[Option::EveryInterval] != old[Option::EveryInterval]) {
        KillTimer(m_intervalTimerId);
        if (flags[Option::EveryInterval] == 1)
            StartIntervalTimer(options.Interval);
    }
    if (options.Time != before.Time || flags[Option::DailyAt] != old[Option::DailyAt]) {
        KillTimer(m_dailyTimerId);
        if (flags[Option::DailyAt] == 1)
            StartDailyTimer();
    }
    if (options.HotKeyA != before.HotKeyA || flags[Option::OnHotKey] != old[Option::OnHotKey]) {
        // Whatever is held goes first, also the atom a failed registration kept: a
        // second GlobalAddAtomA would only count the same atom up.
        ReleaseHotKey();
        if (flags[Option::OnHotKey] == 1 && options.HotKeyA != 0 && !RegisterHotKey(options.HotKeyA))
            flags[Option::OnHotKey] = 0;
    }
}

void CScheduleTriggers::ReleaseAll()
{
    KillTimer(m_intervalTimerId);
    KillTimer(m_dailyTimerId);
    ReleaseHotKey();
}

void CScheduleTriggers::StartIntervalTimer(int minutes)
{
    // A failed SetTimer gives 0, which stands for no timer.
    m_intervalTimerId =
        ::SetTimer(m_window, kIntervalTimer, static_cast<UINT>(minutes) * kMillisecondsPerMinute, nullptr);
}

void CScheduleTriggers::StartDailyTimer()
{
    // The timer only wakes the window once a minute; the minute test decides.
    m_dailyTimerId = ::SetTimer(m_window, kDailyTimer, kMillisecondsPerMinute, nullptr);
}

void CScheduleTriggers::KillTimer(UINT_PTR& timerId)
{
    if (timerId == 0)
        return;
    (void)::KillTimer(m_window, timerId); // the window may be gone, and its timers with it
    timerId = 0;
}

bool CScheduleTriggers::RegisterHotKey(std::uint32_t hotKeyA)
{
    ReleaseHotKey();
    // The atom stays after a failed registration, as the hot key's id is then free;
    // it goes at the next change or at the end.
    m_hotKeyAtom = ::GlobalAddAtomA(kHotKeyAtomName);
    const UINT modifiers = RegisterModifiers(hotKeyA);
    if (::RegisterHotKey(m_window, m_hotKeyAtom, modifiers, RegisterVirtualKey(hotKeyA)))
        return true;
    // Windows before 7 do not know the no-repeat flag: a refusal that is not a taken key
    // is tried again without it, and there a held key repeats.
    return ::GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED &&
           ::RegisterHotKey(m_window, m_hotKeyAtom, modifiers & ~kModNoRepeat, RegisterVirtualKey(hotKeyA));
}

void CScheduleTriggers::ReleaseHotKey()
{
    if (m_hotKeyAtom == 0)
        return;
    (void)::UnregisterHotKey(m_window, m_hotKeyAtom); // nothing registered after a failure
    (void)::GlobalDeleteAtom(m_hotKeyAtom);
    m_hotKeyAtom = 0;
}

} // namespace corvale
