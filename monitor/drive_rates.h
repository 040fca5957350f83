#pragma once
// Read and write rates per drive, averaged over the last second, from the counters the 50 ms tick
// already reads: the tick keeps a few numbers per slot and publishes each finished second whole;
// the window's thread reads them when a tooltip asks.

#include <cstdint>
#include <string>

#include "monitor/activity_probe.h"

enum class RateStatus : uint32_t {
    NoDrive,      // the volume does not open
    NotAvailable, // it opens but does not answer the activity query
    NotAnswering, // its query has not returned
    Measuring,    // answering, the first second is not over yet
    Known,
};

inline constexpr uint32_t BusyUnknown = 255;
inline constexpr uint32_t FigureUnknown = UINT32_MAX;

struct DriveRates {
    RateStatus Status = RateStatus::NoDrive;
    // Per second, in 64 bits: the fastest drives move more than 4 GB a second.
    uint64_t ReadBytes = 0;
    uint64_t WriteBytes = 0;
    uint32_t Reads = 0;
    uint32_t Writes = 0;
    // Percent of the second with work in flight, as task managers show "active time";
    // BusyUnknown where the drive reports no idle time or the figure cannot be trusted.
    uint32_t Busy = BusyUnknown;
    // The timer thread's, not published. False when the counters went backwards: the zeros are
    // no measurement of that second.
    bool Counted = true;
    // With Measuring after a stop or a gap: the whole seconds of the drive's clock since the last
    // finished second that nobody measured, for the minute to show as empty; -1 when the minute
    // starts afresh (a new drive, or no clock to tell).
    int MissedSeconds = -1;
    // The average time a read and a write took, in 100 ns units, as Windows' "Avg. Disk sec/Read"
    // (the change of the summed response times over the change of the count); and the average
    // number of requests waiting or in service, in tenths. FigureUnknown where no operation
    // completed, the drive reports no times, or a counter went back.
    uint32_t ReadResponse = FigureUnknown;
    uint32_t WriteResponse = FigureUnknown;
    uint32_t QueueTenths = FigureUnknown;
    bool operator==(const DriveRates&) const = default;
};

// The drive's query clock, in its 100 ns units.
inline constexpr uint64_t ClockSecond = 10000000;
// Two readings further apart than this were not one run of ticks (a stop, a sleep, a stalled
// timer, a step of the clock): the next second starts from a new base.
inline constexpr uint64_t ClockGap = 2 * ClockSecond;

// One slot's state on the timer thread: the counters at the start of the current second.
struct RateSampler {
    DiskCounters Base;
    uint64_t LastClock = 0; // the query clock of the last reading
    int Ticks = 0;
    bool HasBase = false;
    bool Restart = false; // monitoring stopped since the last reading: take a new base
    RateStatus Status = RateStatus::NoDrive;
};

// One tick of one slot. True when `rates` holds something new to publish: a finished second, or a
// change of status. A second is one second of the drive's own query clock where it reports one
// (rates divide by the time that really passed, whatever the ticks did), else `windowTicks`
// ticks of `tickMs`. A counter that went backwards (the volume came back, or a 64-bit count
// restarted) gives 0 for that second; a 32-bit operation count that wrapped still gives its
// true difference.
bool SampleRates(RateSampler& sampler, const ProbeReading& reading, int windowTicks, int tickMs,
                 DriveRates* rates);

// Published whole per slot (1..24): the timer thread writes, the window's thread reads a
// consistent copy.
void PublishDriveRates(int slot, const DriveRates& rates);
DriveRates ReadDriveRates(int slot);
