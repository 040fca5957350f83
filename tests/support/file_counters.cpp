// Disk counters for the end-to-end test build, steered from outside the process: "traffic.txt"
// beside the program holds one character per letter C..Z ('0' quiet, '1' reading, '2' writing,
// '3' both, '4' both on every other query, so that its LED switches on every tick, '5' writing
// 8 GB/s and '6' writing 5 GB/s, as the fastest drives do, '7' a slow disk reading and writing
// (each read takes 25 ms, each write 120 ms), '8' a fast one (2000 reads a second of 0.4 ms, 500
// writes of 1.2 ms), '9' quiet and not ready (its room cannot be read), 'S' quiet and its room
// told only after 5 s, as a sleeping disk's or a lost server's, 'F' a volume that opens but does
// not answer the counter query, 'H' one whose query does not return until its letter says
// otherwise, as a driver that stopped answering, '-' no such volume: its letter names no drive
// at the next scan).
// How often each letter was asked goes to "queries.txt" beside the program, once a second, a
// number a letter from C. Only '7' and '8' report response times, each operation adding
// exactly its own. As on a real drive, bytes, operations and the drive's clock move with the time
// that passes, asked or not, so a stop of monitoring or a slow tick shows as it would on Windows;
// while traffic flows, each query also sees at least one more operation, so that the LED lights on
// every tick. The clock is the system time, as the device's own; it is idle all of the time while
// quiet, half of it while reading or writing, none of it for both. Linked instead of the device
// query; the shipped program never contains it.
#include <windows.h>

#include "monitor/activity_probe.h"
#include "monitor/drive_scan.h"

namespace {

constexpr int64_t kSecond = 10000000;          // 100 ns units
constexpr int64_t kLongestStep = 60 * kSecond; // keeps the fastest flow within 64 bits

struct Flow {
    uint64_t ReadBytes, WriteBytes;         // a second
    int Reads, Writes;                      // operations a second
    int IdleHalves;                         // idle share of the time, in halves
    uint64_t ReadUnits = 0, WriteUnits = 0; // the time an operation takes, in 100 ns units
};

Flow FlowOf(char traffic) {
    constexpr uint64_t kGiB = 1024ull * 1024 * 1024;
    switch (traffic) {
    case '1':
        return {81920, 0, 20, 0, 1}; // 80 KB/s
    case '2':
        return {0, 1048580, 0, 20, 1}; // 1 MB/s
    case '3':
        return {81920, 1048580, 20, 20, 0};
    case '4':
        return {81920, 1048580, 0, 0, 1}; // operations by the query, below
    case '5':
        return {0, 8 * kGiB, 0, 20, 1};
    case '6':
        return {0, 5 * kGiB, 0, 20, 1};
    case '7':
        return {81920, 1048580, 20, 20, 0, 250000, 1200000};
    case '8':
        return {2000 * 4096, 500 * 65536, 2000, 500, 1, 4000, 12000};
    default:
        return {0, 0, 0, 0, 2};
    }
}

// A count that grows at `perSecond` over `step`, carrying the fraction in `rest`; `atLeastOne`
// takes one in advance where the time alone would give none (and the rest pays it back).
uint64_t Grow(uint64_t perSecond, int64_t step, int64_t& rest, bool atLeastOne = false) {
    rest += static_cast<int64_t>(perSecond) * step;
    int64_t whole = rest / kSecond;
    if (whole < 0) whole = 0; // a debt left when the flow stopped: counts never go back
    if (whole < 1 && atLeastOne) whole = 1;
    rest -= whole * kSecond;
    return static_cast<uint64_t>(whole);
}

struct Drive {
    DiskCounters Counters;
    int64_t LastQuery = 0; // system time of the last query
    int64_t Rest[5] = {};  // fractions of bytes read, written, reads, writes, idle
    bool OddQuery = false;
};

char gTraffic[24];
Drive gDrives[24];

int64_t SystemTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return static_cast<int64_t>(uint64_t{now.dwHighDateTime} << 32 | now.dwLowDateTime);
}

using TrafficPath = wchar_t[MAX_PATH * 2];
TrafficPath gPath;   // the timer thread's
int gLastAsked = 24; // the letter index asked last; a tick asks them in rising order
unsigned gQueries[24];
int64_t gQueriesWritten = 0;

void FindTraffic(TrafficPath& path) {
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2 - 16);
    DWORD slash = n;
    while (slash > 0 && path[slash - 1] != L'\\') --slash;
    lstrcpyW(path + slash, L"traffic.txt");
}

// Without the heap: the tick allocates nothing, in the test build too.
void WriteQueries(const TrafficPath& traffic) {
    TrafficPath path;
    lstrcpyW(path, traffic);
    lstrcpyW(path + lstrlenW(path) - 11, L"queries.txt");
    char text[24 * 11];
    int at = 0;
    for (unsigned n : gQueries) at += wsprintfA(text + at, "%u ", n);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(at), &written, nullptr);
    CloseHandle(file);
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
        if (SystemTime() - gQueriesWritten >= kSecond) {
            gQueriesWritten = SystemTime();
            WriteQueries(gPath);
        }
    }
    gLastAsked = i;
    ++gQueries[i];
    char traffic = gTraffic[i];
    if (traffic == 'H') {
        // Held: this thread alone reads the file meanwhile; once released it answers as the
        // letter now says, touching nothing but its own drive.
        TrafficPath path;
        FindTraffic(path);
        char now[24];
        do {
            Sleep(50);
            ReadTraffic(path, now);
        } while (now[i] == 'H');
        traffic = now[i];
    }
    if (traffic == '-') return VolumeQuery::NotOpened;
    if (traffic == 'F') return VolumeQuery::QueryFailed;
    Drive& d = gDrives[i];
    const int64_t now = SystemTime();
    int64_t step = d.LastQuery ? now - d.LastQuery : 0;
    step = step < 0 ? 0 : step > kLongestStep ? kLongestStep : step;
    d.LastQuery = now;
    const Flow flow = FlowOf(traffic);
    DiskCounters& c = d.Counters;
    c.BytesRead += Grow(flow.ReadBytes, step, d.Rest[0]);
    c.BytesWritten += Grow(flow.WriteBytes, step, d.Rest[1]);
    const uint64_t reads = Grow(flow.Reads, step, d.Rest[2], flow.Reads > 0);
    const uint64_t writes = Grow(flow.Writes, step, d.Rest[3], flow.Writes > 0);
    c.ReadCount += static_cast<uint32_t>(reads);
    c.WriteCount += static_cast<uint32_t>(writes);
    c.ReadTime += reads * flow.ReadUnits;
    c.WriteTime += writes * flow.WriteUnits;
    d.OddQuery = !d.OddQuery;
    if (traffic == '4' && d.OddQuery) {
        ++c.ReadCount;
        ++c.WriteCount;
    }
    c.IdleTime += Grow(static_cast<uint64_t>(flow.IdleHalves) * kSecond / 2, step, d.Rest[4]);
    c.QueryTime = static_cast<uint64_t>(now);
    *counters = c;
    counters->IdleTime += 1; // 0 would say the drive reports no idle time
    return VolumeQuery::Answered;
}

bool QueryVolumeSpace(const wchar_t* root, uint64_t* freeBytes, uint64_t* totalBytes) {
    const wchar_t letter = root[0];
    if (letter >= L'C' && letter <= L'Z') {
        TrafficPath path;
        FindTraffic(path);
        char traffic[24];
        ReadTraffic(path, traffic);
        if (traffic[letter - L'C'] == '9') return false;
        if (traffic[letter - L'C'] == 'S') Sleep(5000);
    }
    ULARGE_INTEGER available{}, total{};
    if (!GetDiskFreeSpaceExW(root, &available, &total, nullptr)) return false;
    *freeBytes = available.QuadPart;
    *totalBytes = total.QuadPart;
    return true;
}
