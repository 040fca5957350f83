#pragma once
// A source of disk counters for test builds: each letter's counters advance on every query while
// its traffic is switched on. Linked instead of the device query.

#include <atomic>

// Per letter A..Z: bit 1 = reads flowing, bit 2 = writes flowing; -1 = no such volume.
extern std::atomic<int> gScriptedTraffic[26];
