#include "monitor/timer_service.h"

#include <atomic>

namespace TimerService {
namespace {

struct TimerSlot {
    uint32_t TimerId = 0;
    // Read by the timer thread on every tick; stored only while the slot has no live timer.
    std::atomic<Procedure> Proc{nullptr};
};

TimerSlot gSlots[SlotCount];
TimerCaps gCaps;            // the device's periods, asked once
bool gRaised = false;       // window's thread only
uint32_t gRaisedPeriod = 0; // what the restore gives back

} // namespace

void Open() {
    Close(); // a second Open leaves nothing raised or running behind
    TimerPlatformGetCaps(&gCaps);
    for (auto& slot : gSlots) slot.Proc.store(nullptr);
}

uint32_t Start(uint32_t slot, uint32_t periodMs, Procedure procedure) {
    if (slot >= SlotCount) return 0;
    TimerSlot& s = gSlots[slot];
    if (s.TimerId != 0) TimerPlatformKill(s.TimerId);
    s.Proc.store(procedure);
    s.TimerId = TimerPlatformSetPeriodic(periodMs, slot);
    return s.TimerId;
}

int Stop(uint32_t slot) {
    if (slot >= SlotCount || gSlots[slot].TimerId == 0) return 0;
    TimerPlatformKill(gSlots[slot].TimerId);
    gSlots[slot].TimerId = 0;
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
    for (auto& slot : gSlots) {
        if (slot.TimerId != 0) {
            TimerPlatformKill(slot.TimerId);
            slot.TimerId = 0;
        }
    }
}

void Tick(uint32_t slot) {
    if (slot >= SlotCount) return;
    // The procedure stored now, not the one the timer was made with.
    if (Procedure procedure = gSlots[slot].Proc.load()) procedure();
}

uint32_t TimerIdOf(uint32_t slot) {
    return slot < SlotCount ? gSlots[slot].TimerId : 0;
}

} // namespace TimerService
