// Disk counters for the end-to-end test build, steered from outside the process: "traffic.txt"
// beside the program holds one character per letter C..Z ('0' quiet, '1' reading, '2' writing,
// '3' both, '4' both on every other query, so that its LED switches on every tick, '-' no such
// volume: its letter names no drive at the next scan). While a letter's traffic flows, its counters
// move on every query, and the drive's clock runs 50 ms a query: idle all of it while quiet, half
// of it while reading or writing, none of it for both. Linked instead of the device query; the
// shipped program never contains it.
#include <windows.h>

#include "monitor/activity_probe.h"
#include "monitor/drive_scan.h"

namespace {

// At 20 queries a second: reading 80 KB/s, writing 1 MB/s (1,048,580 bytes).
constexpr uint64_t kBytesPerRead = 4096;
constexpr uint64_t kBytesPerWrite = 52429;

char gTraffic[24];
uint32_t gReads[24];
uint32_t gWrites[24];
uint64_t gBytesRead[24];
uint64_t gBytesWritten[24];
bool gOddQuery[24];
uint64_t gIdle[24];
uint64_t gClock[24];
constexpr uint64_t kQueryClock = 500000; // 50 ms in 100 ns units

using TrafficPath = wchar_t[MAX_PATH * 2];
TrafficPath gPath;   // the timer thread's
int gLastAsked = 24; // the letter index asked last; a tick asks them in rising order

void FindTraffic(TrafficPath& path) {
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2 - 16);
    DWORD slash = n;
    while (slash > 0 && path[slash - 1] != L'\\') --slash;
    lstrcpyW(path + slash, L"traffic.txt");
}

void ReadTraffic(const TrafficPath& path, char (&traffic)[24]) {
    for (char& c : traffic) c = '0';
    HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD got = 0;
    ReadFile(file, traffic, sizeof traffic, &got, nullptr);
    CloseHandle(file);
}

} // namespace

uint32_t ExistingDriveSlots() {
    // Any thread (the start-up scan runs on the window's): its own copy of the file.
    TrafficPath path;
    FindTraffic(path);
    char traffic[24];
    ReadTraffic(path, traffic);
    uint32_t slots = 0;
    for (int i = 0; i < 24; ++i) {
        if (traffic[i] != '-') slots |= 1u << i;
    }
    return slots;
}

VolumeQuery QueryVolumeCounters(const char* path, DiskCounters* counters) {
    const char letter = path[4];
    if (letter < 'C' || letter > 'Z') return VolumeQuery::NotOpened;
    const int i = letter - 'C';
    // The first letter asked on a tick reads the file for the whole tick.
    if (i <= gLastAsked) {
        if (!gPath[0]) FindTraffic(gPath);
        ReadTraffic(gPath, gTraffic);
    }
    gLastAsked = i;
    const char traffic = gTraffic[i];
    if (traffic == '-') return VolumeQuery::NotOpened;
    gOddQuery[i] = !gOddQuery[i];
    const bool both = traffic == '3' || (traffic == '4' && gOddQuery[i]);
    if (traffic == '1' || both) {
        ++gReads[i];
        gBytesRead[i] += kBytesPerRead;
    }
    if (traffic == '2' || both) {
        ++gWrites[i];
        gBytesWritten[i] += kBytesPerWrite;
    }
    const bool reading = traffic == '1' || both, writing = traffic == '2' || both;
    gClock[i] += kQueryClock;
    gIdle[i] += reading && writing ? 0 : reading || writing ? kQueryClock / 2 : kQueryClock;
    *counters = DiskCounters{gReads[i],        gWrites[i],   gBytesRead[i],
                             gBytesWritten[i], gIdle[i] + 1, gClock[i]};
    return VolumeQuery::Answered;
}
