#include "monitor/activity_probe.h"

#include "app/numbering.h"

ProbeHistory gProbeHistory;

DiskCounters CountersFromDiskPerformance(const unsigned char (&record)[DiskPerformanceSize]) {
    auto le32 = [&](size_t at) {
        return static_cast<uint32_t>(record[at]) | static_cast<uint32_t>(record[at + 1]) << 8 |
               static_cast<uint32_t>(record[at + 2]) << 16 |
               static_cast<uint32_t>(record[at + 3]) << 24;
    };
    auto le64 = [&](size_t at) { return le32(at) | static_cast<uint64_t>(le32(at + 4)) << 32; };
    return DiskCounters{le32(40), le32(44), le64(0),  le64(8), le64(32),
                        le64(56), le32(48), le64(16), le64(24)};
}

int CompareProbeCounters(ProbeHistory& history, int index, const DiskCounters& counters) {
    int result = LedIdle;
    // Inequality, not growth: a wrapped or restarted counter counts as moved once.
    if (counters.ReadCount != history.PrevReadCount[index]) {
        history.PrevReadCount[index] = counters.ReadCount;
        result |= LedRead;
    }
    if (counters.WriteCount != history.PrevWriteCount[index]) {
        history.PrevWriteCount[index] = counters.WriteCount;
        result |= LedWrite;
    }
    history.LastResult[index] = static_cast<int8_t>(result);
    return history.LastResult[index];
}

int ActivityProbe(const char* path, int index, ProbeReading* reading) {
    if (index < 0 || index >= ProbeHistorySize) return ProbeOutOfRange; // nothing is opened
    DiskCounters counters;
    const VolumeQuery outcome = QueryVolumeCounters(path, &counters);
    if (reading) *reading = ProbeReading{outcome, counters};
    if (outcome != VolumeQuery::Answered) return LedIdle;
    return CompareProbeCounters(gProbeHistory, index, counters);
}
