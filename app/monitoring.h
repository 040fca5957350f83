#pragma once
// Stopping and starting the poll and rescan timers around anything that must not race them.

#include <cstdint>

// Flag to 0 first, so a running tick stops after its slot; then both timers go.
void StopMonitoring();
// Both timers started, then the flag to 1.
void StartMonitoring();

// The rescan period for an interval in seconds, formed without overflow. Anything that cannot be a
// timer period (zero, negative, beyond 32 bits) gives 0, which the platform refuses.
uint32_t RescanPeriodMs(int intervalSeconds);
