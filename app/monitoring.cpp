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

namespace {

bool gPaused = false;     // window's thread only
bool gRescanOwed = false; // a pause ended while stopped: the next start scans the drives

// The even 50 ms pace needs the fine resolution, and only the poll needs it.
void StartTimers() {
    TimerService::RaiseResolution();
    // Without a poll nothing needs the fine resolution: give it back at once.
    if (!TimerService::Start(Num::PollTimerSlot, Num::PollPeriodMs, ProbeTick))
        TimerService::RestoreResolution();
    TimerService::Start(Num::RescanTimerSlot, RescanPeriodMs(AppState.HddDetectInterval),
                        ScanFixedDrives);
}

void StopTimers() {
    TimerService::Stop(Num::PollTimerSlot);
    FinishProbeRound(); // no question of the poll asked after this, as no tick of its timer runs
    TimerService::Stop(Num::RescanTimerSlot);
    TimerService::RestoreResolution();
}

} // namespace

void StopMonitoring() {
    AppState.MonitorActive.store(0);
    StopTimers();
    RestartRates();
}

void StartMonitoring() {
    if (!gPaused) {
        if (gRescanOwed)
            ScanFixedDrives(); // before the rescan timer runs; the hand-over is at once
        gRescanOwed = false;
        StartTimers();
    }
    // Switches that reached the window's thread while stopped were dropped: resend every slot.
    ResyncLedSwitches();
    AppState.MonitorActive.store(1);
}

void PauseMonitoring(bool paused) {
    if (paused == gPaused) return;
    gPaused = paused;
    SetPollingPaused(paused);
    if (AppState.MonitorActive.load() != 1) {
        // A dialog, a question or the tray holds the timers: the drives may have changed while
        // nothing looked, so the start after it makes up for the rescans missed.
        if (!paused) gRescanOwed = true;
        return;
    }
    if (paused) {
        StopTimers();
        return;
    }
    StartTimers();
    ScanFixedDrives(); // on this thread the hand-over runs at once
}

void ForgetMonitoringPause() {
    gPaused = false;
    gRescanOwed = false;
    SetPollingPaused(false);
}
