#pragma once
// Stopping and starting the poll and rescan timers around anything that must not race them.

#include <cstdint>

// Flag to 0 first, so a running tick stops after its slot; then both timers go and the timer
// resolution is given back.
void StopMonitoring();
// Unless a pause holds: the resolution raised and both timers started. Then the flag to 1.
void StartMonitoring();

// While nobody can see the bar (locked, disconnected, screen off) neither timer runs and the
// resolution is given back; when the pause ends, running monitoring starts its timers again, the
// first tick takes the counters as a new base, and one drive scan makes up for the rescans
// missed. Stopped monitoring only remembers the pause for its next start, and a pause that ended
// meanwhile for the drive scan that start runs.
void PauseMonitoring(bool paused);
// The bar is going: the pause is forgotten and nothing is started.
void ForgetMonitoringPause();

// The rescan period for an interval in seconds, formed without overflow. Anything that cannot be a
// timer period (zero, negative, beyond 32 bits) gives 0, which the platform refuses.
uint32_t RescanPeriodMs(int intervalSeconds);
