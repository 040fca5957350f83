#pragma once
// Has a volume's read or write operation count moved since this history index was last asked?

#include <cstddef>
#include <cstdint>

inline constexpr int ProbeOutOfRange = 255;
inline constexpr int ProbeHistorySize = 128;
inline constexpr size_t DiskPerformanceSize = 88; // DISK_PERFORMANCE as the device control fills it

struct ProbeHistory {
    uint32_t PrevReadCount[ProbeHistorySize];
    uint32_t PrevWriteCount[ProbeHistorySize];
    int8_t LastResult[ProbeHistorySize];
};

// Process-wide history, zero at start and never cleared.
extern ProbeHistory gProbeHistory;

struct DiskCounters {
    uint32_t ReadCount = 0;
    uint32_t WriteCount = 0;
    uint64_t BytesRead = 0;
    uint64_t BytesWritten = 0;
    // In 100 ns units: time without work in flight, and the clock of the query; 0 where the drive
    // does not report them.
    uint64_t IdleTime = 0;
    uint64_t QueryTime = 0;
    uint32_t QueueDepth = 0; // requests in flight when asked
    // In 100 ns units: the summed response times of the reads and of the writes that completed.
    uint64_t ReadTime = 0;
    uint64_t WriteTime = 0;
};

enum class VolumeQuery {
    NotOpened,    // no such volume, not ready, or access refused
    QueryFailed,  // the volume opened but did not answer the performance query
    Answered,
    NotAnswering, // asked, and the query has not returned (its driver does not answer)
};

// What one probe saw of its volume: whether it answered, and if so its counters.
struct ProbeReading {
    VolumeQuery Outcome = VolumeQuery::NotOpened;
    DiskCounters Counters;
};

// BytesRead and BytesWritten sit at byte offsets 0 and 8 of the record, ReadTime and WriteTime at
// 16 and 24, IdleTime at 32, ReadCount and WriteCount at 40 and 44, QueueDepth at 48, QueryTime at
// 56, all little-endian.
DiskCounters CountersFromDiskPerformance(const unsigned char (&record)[DiskPerformanceSize]);

// Compares the counters with the index's history, stores what moved and returns the LED state.
// The index must be in range.
int CompareProbeCounters(ProbeHistory& history, int index, const DiskCounters& counters);

// The probe of the program: asks the volume at `path` (for example "\\.\C:") through
// QueryVolumeCounters and keeps the history in gProbeHistory. 255 for an index outside 0..127
// (nothing is opened); 0 when the volume cannot be opened or does not answer (the history is left
// alone, since the record would be undefined); else the bits of the counters that moved. When
// `reading` is given it receives what the volume answered.
int ActivityProbe(const char* path, int index, ProbeReading* reading = nullptr);

// Where the counters come from. The shipped program links the device query; test builds may link
// a source of their own. Must not allocate: it runs 480 times a second.
VolumeQuery QueryVolumeCounters(const char* path, DiskCounters* counters);
// From the same source: the room on the volume at `root` ("C:\\"), free to this user and in all;
// false when it cannot be read (a drive that is not ready). It may take seconds (a network drive
// whose server has gone, a disk spinning up): never asked on the window's thread.
bool QueryVolumeSpace(const wchar_t* root, uint64_t* freeBytes, uint64_t* totalBytes);
