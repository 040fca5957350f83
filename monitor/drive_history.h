#pragma once
// The last minute of each drive, a second a column: what the LED tooltip draws. The timer thread
// records each finished second in storage made once; the window's thread reads a slot's minute
// whole, as it reads the rates.

#include <cstdint>

#include "monitor/drive_rates.h"

inline constexpr int MinuteSeconds = 60;

struct HistorySecond {
    bool Known = false; // false before the drive was asked, or when its counters went backwards
    uint64_t ReadBytes = 0;
    uint64_t WriteBytes = 0;
};

struct DriveMinute {
    HistorySecond Seconds[MinuteSeconds]; // the oldest first, the newest last
};

// Timer thread. A finished second (RateStatus::Known) of slot 1..24 joins its minute, the oldest
// leaves; one whose counters went backwards joins as an unknown second.
void RecordSecond(int slot, const DriveRates& finished);
// Timer thread: `seconds` (up to a minute) went by unmeasured, monitoring stopped or the ticks
// held up; they join as empty seconds, so that every column stays one second of the clock.
void RecordMissedSeconds(int slot, int seconds);
// Timer thread: the drive is asked afresh (start, arrival) or is gone, or no clock tells how long
// it went unmeasured; the seconds before are not its.
void ForgetMinute(int slot);
// Window's thread.
DriveMinute ReadDriveMinute(int slot);

// The chart's scale: the largest read or write of the minute; 0 for a quiet or unknown minute.
uint64_t MinutePeak(const DriveMinute& minute);
