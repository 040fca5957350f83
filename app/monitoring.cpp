#include "app/monitoring.h"

#include "app/app_state.h"
#include "app/numbering.h"
#include "monitor/activity_poller.h"
#include "monitor/drive_scan.h"
#include "monitor/timer_service.h"

uint32_t RescanPeriodMs(int intervalSeconds) {
    const int64_t ms = static_cast<int64_t>(intervalSeconds) * 1000;
    if (ms <= 0 || ms > static_cast<int64_t>(UINT32_MAX)) return 0;
    return static_cast<uint32_t>(ms);
}

void StopMonitoring() {
    AppState.MonitorActive.store(0);
    TimerService::Stop(Num::PollTimerSlot);
    TimerService::Stop(Num::RescanTimerSlot);
}

void StartMonitoring() {
    TimerService::Start(Num::PollTimerSlot, Num::PollPeriodMs, PollActivity);
    TimerService::Start(Num::RescanTimerSlot, RescanPeriodMs(AppState.HddDetectInterval),
                        ScanFixedDrives);
    // Switches that reached the window's thread while stopped were dropped: resend every slot.
    ResyncLedSwitches();
    AppState.MonitorActive.store(1);
}
