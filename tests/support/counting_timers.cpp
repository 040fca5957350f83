// Linked into test builds in place of the program's lookup: the calls go on to the system's winmm,
// counted on the way. After each call on the window's thread the counts are also written to
// "timer-calls.txt" beside the program, for the end-to-end tests.
#include "support/counting_timers.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "monitor/winmm_timers_win.h"

namespace {

WinmmTimers gSystem;
TimerCalls gCalls;
std::atomic<long> gTicks{0};
LPTIMECALLBACK gTick = nullptr; // the program's tick, one for every slot
bool gRefuseSynchronousKill = false;

void WriteCounts() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (char* slash = std::strrchr(path, '\\')) std::strcpy(slash + 1, "timer-calls.txt");
    if (FILE* out = std::fopen(path, "w")) {
        std::fprintf(out, "raised=%ld restored=%ld outstanding=%ld started=%ld stopped=%ld\n",
                     gCalls.Raised, gCalls.Restored, gCalls.Raised - gCalls.Restored,
                     gCalls.Started, gCalls.Stopped);
        std::fclose(out);
    }
}

void CALLBACK CountingTick(UINT id, UINT message, DWORD_PTR user, DWORD_PTR a, DWORD_PTR b) {
    gTicks.fetch_add(1);
    gTick(id, message, user, a, b);
}

MMRESULT WINAPI CountingBeginPeriod(UINT period) {
    ++gCalls.Raised;
    WriteCounts();
    return gSystem.BeginPeriod(period);
}

MMRESULT WINAPI CountingEndPeriod(UINT period) {
    ++gCalls.Restored;
    WriteCounts();
    return gSystem.EndPeriod(period);
}

MMRESULT WINAPI CountingSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK tick, DWORD_PTR user,
                                 UINT flags) {
    gTick = tick;
    if (gRefuseSynchronousKill && (flags & TIME_KILL_SYNCHRONOUS)) return 0;
    const MMRESULT id = gSystem.SetEvent(delay, resolution, CountingTick, user, flags);
    if (id) ++gCalls.Started;
    WriteCounts();
    return id;
}

MMRESULT WINAPI CountingKillEvent(UINT id) {
    ++gCalls.Stopped;
    WriteCounts();
    return gSystem.KillEvent(id);
}

} // namespace

WinmmTimers LoadWinmmTimers() {
    gSystem = LoadSystemWinmmTimers();
    WinmmTimers counted = gSystem;
    if (gSystem.BeginPeriod) counted.BeginPeriod = CountingBeginPeriod;
    if (gSystem.EndPeriod) counted.EndPeriod = CountingEndPeriod;
    if (gSystem.SetEvent) counted.SetEvent = CountingSetEvent;
    if (gSystem.KillEvent) counted.KillEvent = CountingKillEvent;
    return counted;
}

TimerCalls CountedTimerCalls() {
    return gCalls;
}

long CountedTicks() {
    return gTicks.load();
}

void RefuseSynchronousKill(bool refuse) {
    gRefuseSynchronousKill = refuse;
}
