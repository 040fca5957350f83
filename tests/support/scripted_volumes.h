#pragma once
// A source of disk counters for test builds: each letter's counters advance on every query while
// its traffic is switched on. Linked instead of the device query.

#include <atomic>
#include <cstdint>

// Per letter A..Z: bit 1 = reads flowing, bit 2 = writes flowing; -1 = no such volume.
extern std::atomic<int> gScriptedTraffic[26];
// Bytes each query adds while the traffic flows: at 20 ticks a second 80 KB/s read, 1 MB/s written.
inline constexpr uint64_t kScriptedBytesPerRead = 4096;
inline constexpr uint64_t kScriptedBytesPerWrite = 52429;
