// winmm multimedia timers behind the timer service.
#include <windows.h>
#include <mmsystem.h>

#include "monitor/timer_service.h"

namespace {

void CALLBACK TimerTick(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    TimerService::Tick(static_cast<uint32_t>(user));
}

} // namespace

void TimerPlatformGetCaps(TimerCaps* caps) {
    TIMECAPS tc{};
    timeGetDevCaps(&tc, sizeof tc);
    caps->PeriodMin = tc.wPeriodMin;
    caps->PeriodMax = tc.wPeriodMax;
}

void TimerPlatformBeginPeriod(uint32_t periodMs) {
    timeBeginPeriod(periodMs);
}
void TimerPlatformEndPeriod(uint32_t periodMs) {
    timeEndPeriod(periodMs);
}

uint32_t TimerPlatformSetPeriodic(uint32_t periodMs, uint32_t slot) {
    // TIME_KILL_SYNCHRONOUS: once timeKillEvent returns, no tick of the timer is running or will
    // run. That is safe only because a tick never waits for the window's thread.
    const UINT flags = TIME_PERIODIC | TIME_CALLBACK_FUNCTION;
    if (const MMRESULT id =
            timeSetEvent(periodMs, 0, TimerTick, slot, flags | TIME_KILL_SYNCHRONOUS))
        return id;
    // Windows 2000 knows no such flag and refuses the timer: monitor without it there.
    return timeSetEvent(periodMs, 0, TimerTick, slot, flags);
}

void TimerPlatformKill(uint32_t timerId) {
    timeKillEvent(timerId);
}
