// The tick's questions on a thread of their own: the timer thread only wakes it, so that a query
// that never returns (a driver that does not answer) holds up neither the other letters nor the
// other timers. A round still inside a query after a moment is given up: its letter shows "not
// answering" until the query returns, and a new thread asks the others from the next tick on.
// Nothing ever waits for a thread that was given up; the program ends without it.
#include <windows.h>

#include <atomic>

#include "monitor/activity_poller.h"

namespace {

constexpr DWORD kStalledMs = 250; // far beyond a round's usual fraction of a millisecond

HANDLE gWake = nullptr;         // auto-reset: a round to run
std::atomic<bool> gBusy{false}; // a round asked for and not finished
std::atomic<DWORD> gBusySince{0};
uint32_t gThreadRound = ~0u; // timer thread: the round whose thread has been started

DWORD WINAPI AskDrives(void* round) {
    const auto mine = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(round));
    while (WaitForSingleObject(gWake, INFINITE) == WAIT_OBJECT_0 && ProbeRound() == mine) {
        PollActivity();
        if (ProbeRound() != mine) break; // given up inside it: the next thread owns the rounds
        gBusy.store(false);
    }
    return 0;
}

} // namespace

void ProbeTick() {
    if (gBusy.load()) {
        if (GetTickCount() - gBusySince.load() >= kStalledMs && AbandonProbeRound())
            gBusy.store(false); // the next tick starts the next round's thread
        return;
    }
    if (!gWake && !(gWake = CreateEventA(nullptr, FALSE, FALSE, nullptr))) return;
    if (gThreadRound != ProbeRound()) {
        const uint32_t round = ProbeRound();
        HANDLE thread =
            CreateThread(nullptr, 0, AskDrives,
                         reinterpret_cast<void*>(static_cast<uintptr_t>(round)), 0, nullptr);
        if (!thread) return;
        CloseHandle(thread); // never waited for
        gThreadRound = round;
    }
    gBusySince.store(GetTickCount());
    gBusy.store(true);
    SetEvent(gWake);
}

void FinishProbeRound() {
    const DWORD start = GetTickCount();
    while (gBusy.load()) {
        if (GetTickCount() - start >= kStalledMs && AbandonProbeRound()) {
            gBusy.store(false);
            return;
        }
        Sleep(1);
    }
}
