#include "support/scripted_volumes.h"

#include "monitor/activity_probe.h"
#include "monitor/drive_scan.h"

std::atomic<int> gScriptedTraffic[26];

namespace {
uint32_t gReads[26];
uint32_t gWrites[26];
uint64_t gBytesRead[26];
uint64_t gBytesWritten[26];
} // namespace

VolumeQuery QueryVolumeCounters(const char* path, DiskCounters* counters) {
    const char letter = path[4];
    if (letter < 'A' || letter > 'Z') return VolumeQuery::NotOpened;
    const int i = letter - 'A';
    const int traffic = gScriptedTraffic[i].load();
    if (traffic < 0) return VolumeQuery::NotOpened;
    if (traffic & 1) {
        ++gReads[i];
        gBytesRead[i] += kScriptedBytesPerRead;
    }
    if (traffic & 2) {
        ++gWrites[i];
        gBytesWritten[i] += kScriptedBytesPerWrite;
    }
    *counters = DiskCounters{gReads[i], gWrites[i], gBytesRead[i], gBytesWritten[i]};
    return VolumeQuery::Answered;
}

uint32_t ExistingDriveSlots() {
    uint32_t slots = 0;
    for (int i = 0; i < 24; ++i) {
        if (gScriptedTraffic[i + 2].load() >= 0) slots |= 1u << i;
    }
    return slots;
}

bool QueryVolumeSpace(const wchar_t*, uint64_t*, uint64_t*) {
    return false; // the poller's tests ask no tip
}
