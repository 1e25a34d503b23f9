#pragma once
// CScheduleTriggers: the interval timer, the daily timer and the cleaning hot key of one
// window. It arms them from the settings at start-up, re-arms what a change of the
// schedule touched, tells its timers apart, and releases all of them at the end.

#include "settings/CleaningOptions.h"

#include <windows.h>

namespace corvale {

class CScheduleTriggers {
public:
    static constexpr UINT_PTR kIntervalTimer = 1;
    static constexpr UINT_PTR kDailyTimer = 2;
    static constexpr char kHotKeyAtomName[] = "KeltoHK";

    CScheduleTriggers() = default;
    // A global atom outlives the process: whatever is still held goes here at the latest.
    ~CScheduleTriggers() { ReleaseAll(); }
    CScheduleTriggers(const CScheduleTriggers&) = delete;
    CScheduleTriggers& operator=(const CScheduleTriggers&) = delete;

    // The window that owns the timers and the hot key and receives WM_TIMER and WM_HOTKEY.
    void SetWindow(HWND window) { m_window = window; }

    // Start-up: the interval timer for a stored interval of 1 to 998 minutes, the daily
    // timer for a stored time of 1 to 1439, and the hot key; a hot key that cannot be
    // registered switches OnHotKey off.
    void ArmAtStartup(CleaningOptions& options);
    // After the schedule was committed from `before` into `options`: replaces the timers
    // and the hot key whose option or value changed, and only those.
    void Rearm(const CleaningOptions& before, CleaningOptions& options);
    // Kills both timers, unregisters the hot key and deletes its atom.
    void ReleaseAll();

    bool IsIntervalTimer(UINT_PTR timerId) const { return timerId != 0 && timerId == m_intervalTimerId; }
    bool IsDailyTimer(UINT_PTR timerId) const { return timerId != 0 && timerId == m_dailyTimerId; }

    UINT_PTR IntervalTimerId() const { return m_intervalTimerId; }
    UINT_PTR DailyTimerId() const { return m_dailyTimerId; }
    ATOM HotKeyAtom() const { return m_hotKeyAtom; }

private:
    void StartIntervalTimer(int minutes);
    void StartDailyTimer();
    void KillTimer(UINT_PTR& timerId);
    // Registers the key under a fresh atom; false when another program holds the key.
    bool RegisterHotKey(std::uint32_t hotKeyA);
    void ReleaseHotKey();

    HWND m_window = nullptr;
    UINT_PTR m_intervalTimerId = 0;
    UINT_PTR m_dailyTimerId = 0;
    ATOM m_hotKeyAtom = 0;
};

} // namespace corvale
