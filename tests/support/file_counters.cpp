// Disk counters for the end-to-end test build, steered from outside the process: "traffic.txt"
// beside the program holds one character per letter C..Z ('0' quiet, '1' reading, '2' writing,
// '3' both, '4' both on every other query, so that its LED switches on every tick, '-' no such
// volume). While a letter's traffic flows, its counters move on every query.
// Linked instead of the device query; the shipped program never contains it.
#include <windows.h>

#include "monitor/activity_probe.h"

namespace {

// At 20 queries a second: reading 80 KB/s, writing 1 MB/s (1,048,580 bytes).
constexpr uint64_t kBytesPerRead = 4096;
constexpr uint64_t kBytesPerWrite = 52429;

wchar_t gPath[MAX_PATH * 2];
char gTraffic[24];
uint32_t gReads[24];
uint32_t gWrites[24];
uint64_t gBytesRead[24];
uint64_t gBytesWritten[24];
bool gOddQuery[24];

void ReloadTraffic() {
    if (!gPath[0]) {
        const DWORD n = GetModuleFileNameW(nullptr, gPath, MAX_PATH * 2 - 16);
        DWORD slash = n;
        while (slash > 0 && gPath[slash - 1] != L'\\') --slash;
        lstrcpyW(gPath + slash, L"traffic.txt");
    }
    for (char& c : gTraffic) c = '0';
    HANDLE file =
        CreateFileW(gPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD got = 0;
    ReadFile(file, gTraffic, sizeof gTraffic, &got, nullptr);
    CloseHandle(file);
}

} // namespace

VolumeQuery QueryVolumeCounters(const char* path, DiskCounters* counters) {
    const char letter = path[4];
    if (letter < 'C' || letter > 'Z') return VolumeQuery::NotOpened;
    if (letter == 'C') ReloadTraffic(); // C is asked first on every tick
    const int i = letter - 'C';
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
    *counters = DiskCounters{gReads[i], gWrites[i], gBytesRead[i], gBytesWritten[i]};
    return VolumeQuery::Answered;
}
