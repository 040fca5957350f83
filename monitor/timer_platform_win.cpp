// winmm multimedia timers behind the timer service.
#include <windows.h>
#include <mmsystem.h>

#include "monitor/timer_service.h"
#include "monitor/winmm_timers_win.h"

namespace {

// Only the window's thread asks for these.
const WinmmTimers& Winmm() {
    static const WinmmTimers timers = LoadWinmmTimers();
    return timers;
}

void CALLBACK TimerTick(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    TimerService::Tick(static_cast<uint32_t>(user));
}

} // namespace

void TimerPlatformGetCaps(TimerCaps* caps) {
    TIMECAPS tc{};
    if (Winmm().GetDevCaps) Winmm().GetDevCaps(&tc, sizeof tc);
    caps->PeriodMin = tc.wPeriodMin;
    caps->PeriodMax = tc.wPeriodMax;
}

void TimerPlatformBeginPeriod(uint32_t periodMs) {
    if (Winmm().BeginPeriod) Winmm().BeginPeriod(periodMs);
}
void TimerPlatformEndPeriod(uint32_t periodMs) {
    if (Winmm().EndPeriod) Winmm().EndPeriod(periodMs);
}

uint32_t TimerPlatformSetPeriodic(uint32_t periodMs, uint32_t slot) {
    // Without winmm every timer is refused, and the slot stays idle.
    const auto setEvent = Winmm().SetEvent;
    if (!setEvent) return 0;
    // TIME_KILL_SYNCHRONOUS: once timeKillEvent returns, no tick of the timer is running or will
    // run (safe because a tick never waits for the window's thread). Windows 2000 refuses the
    // flag; there the service's stop waits out a tick itself.
    constexpr UINT periodic = TIME_PERIODIC | TIME_CALLBACK_FUNCTION;
    if (const MMRESULT id =
            setEvent(periodMs, 0, TimerTick, slot, periodic | TIME_KILL_SYNCHRONOUS))
        return id;
    return setEvent(periodMs, 0, TimerTick, slot, periodic);
}

void TimerPlatformYield() {
    Sleep(0);
}

void TimerPlatformKill(uint32_t timerId) {
    if (Winmm().KillEvent) Winmm().KillEvent(timerId);
}
