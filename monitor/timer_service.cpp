#include "monitor/timer_service.h"

#include <atomic>

namespace TimerService {
namespace {

struct TimerSlot {
    uint32_t TimerId = 0;
    // Read by the timer thread on every tick; stored only while the slot has no live timer.
    std::atomic<Procedure> Proc{nullptr};
    // Where Windows cannot kill a timer synchronously (2000), a tick may still be running, or
    // only about to start, when the kill returns: a stopped slot's tick does nothing, and a stop
    // waits for one that is inside its procedure. Both sequentially consistent, so that a tick
    // either sees the slot stopped or is seen running.
    std::atomic<bool> Live{false};
    std::atomic<int> Running{0};
};

TimerSlot gSlots[SlotCount];
TimerCaps gCaps;            // the device's periods, asked once
bool gRaised = false;       // window's thread only
uint32_t gRaisedPeriod = 0; // what the restore gives back

void Kill(TimerSlot& s) {
    s.Live.store(false);
    TimerPlatformKill(s.TimerId);
    s.TimerId = 0;
    while (s.Running.load() != 0) TimerPlatformYield(); // a tick never waits for us
}

} // namespace

void Open() {
    Close(); // a second Open leaves nothing raised or running behind
    TimerPlatformGetCaps(&gCaps);
    for (auto& slot : gSlots) slot.Proc.store(nullptr);
}

uint32_t Start(uint32_t slot, uint32_t periodMs, Procedure procedure) {
    if (slot >= SlotCount) return 0;
    TimerSlot& s = gSlots[slot];
    if (s.TimerId != 0) Kill(s);
    s.Proc.store(procedure);
    s.Live.store(true);
    s.TimerId = TimerPlatformSetPeriodic(periodMs, slot);
    s.Live.store(s.TimerId != 0);
    return s.TimerId;
}

int Stop(uint32_t slot) {
    if (slot >= SlotCount || gSlots[slot].TimerId == 0) return 0;
    Kill(gSlots[slot]);
    return 1;
}

void RaiseResolution() {
    if (gRaised) return;
    gRaisedPeriod = gCaps.PeriodMin;
    TimerPlatformBeginPeriod(gRaisedPeriod);
    gRaised = true;
}

void RestoreResolution() {
    if (!gRaised) return;
    TimerPlatformEndPeriod(gRaisedPeriod);
    gRaised = false;
}

bool ResolutionRaised() {
    return gRaised;
}

void Close() {
    RestoreResolution();
    for (auto& slot : gSlots)
        if (slot.TimerId != 0) Kill(slot);
}

void Tick(uint32_t slot) {
    if (slot >= SlotCount) return;
    TimerSlot& s = gSlots[slot];
    s.Running.fetch_add(1);
    // The procedure stored now, not the one the timer was made with.
    if (Procedure procedure = s.Proc.load(); procedure && s.Live.load()) procedure();
    s.Running.fetch_sub(1);
}

uint32_t TimerIdOf(uint32_t slot) {
    return slot < SlotCount ? gSlots[slot].TimerId : 0;
}

} // namespace TimerService
