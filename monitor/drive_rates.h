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
    Measuring,    // answering, the first second is not over yet
    Known,
};

inline constexpr uint32_t BusyUnknown = 255;

struct DriveRates {
    RateStatus Status = RateStatus::NoDrive;
    uint32_t ReadBytes = 0; // per second
    uint32_t WriteBytes = 0;
    uint32_t Reads = 0;
    uint32_t Writes = 0;
    // Percent of the second with work in flight, as task managers show "active time";
    // BusyUnknown where the drive reports no idle time.
    uint32_t Busy = BusyUnknown;
    // False when the counters went backwards: the zeros are no measurement of that second. (The
    // timer thread's; not published.)
    bool Counted = true;
    bool operator==(const DriveRates&) const = default;
};

// One slot's state on the timer thread: the counters at the start of the current second.
struct RateSampler {
    DiskCounters Base;
    int Ticks = 0;
    bool HasBase = false;
    RateStatus Status = RateStatus::NoDrive;
};

// One tick of one slot. True when `rates` holds something new to publish: a finished averaging
// window of `windowTicks` ticks of `tickMs` each, or a change of status. A counter that went
// backwards (the volume came back, or a 64-bit count restarted) gives 0 for that window; a 32-bit
// operation count that wrapped still gives its true difference.
bool SampleRates(RateSampler& sampler, const ProbeReading& reading, int windowTicks, int tickMs,
                 DriveRates* rates);

// Published whole per slot (1..24): the timer thread writes, the window's thread reads a
// consistent copy.
void PublishDriveRates(int slot, const DriveRates& rates);
DriveRates ReadDriveRates(int slot);

// "512 B/s", "1.5 KB/s", "12.0 MB/s" (1 KB = 1024 bytes).
std::string FormatByteRate(uint32_t bytesPerSecond);

// What the system says of a drive's root, asked on the window's thread when a tooltip opens.
struct VolumeFacts {
    int DriveType = 0; // GetDriveType's numbers: 0 unknown, 1 no root, 2 removable, 3 fixed, ...
    std::string Label;
    std::string FileSystem;
};

// The tooltip of an LED: the letter, label and file system, the drive's kind, its rates and how
// busy it was, and the scale of the chart below (`chartPeak`, for a tip that has a chart; left out
// when 0); only "no drive" where the system knows no such root.
std::string FormatDriveTip(char letter, const VolumeFacts& facts, const DriveRates& rates,
                           uint32_t chartPeak = 0);
// Whether the tooltip of a drive in this state has the minute's chart below its text.
bool TipHasChart(const VolumeFacts& facts, const DriveRates& rates);
