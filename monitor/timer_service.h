#pragma once
// Sixteen numbered slots of periodic timers whose procedures run off the window's thread, all on
// one timer thread. The system timer resolution is raised only on request: a raised resolution
// wakes the whole machine up to a thousand times a second.

#include <cstdint>

namespace TimerService {

inline constexpr uint32_t SlotCount = 16;
using Procedure = void (*)();

void Open();
// The finest period the device offers, for the whole system, until RestoreResolution. Each is
// done once however often it is asked: one restore for one raise, with the value raised.
void RaiseResolution();
void RestoreResolution();
bool ResolutionRaised();
// (Re)starts the slot's periodic timer; returns the timer id, or 0 when the slot is out of range
// or the platform refused the period (the slot is idle then).
uint32_t Start(uint32_t slot, uint32_t periodMs, Procedure procedure);
// 1 when a live timer was stopped, else 0. No tick of that timer runs after it returns.
int Stop(uint32_t slot);
// Restores the resolution if raised, then stops every slot.
void Close();

// Called on the timer thread for every tick of a slot's timer.
void Tick(uint32_t slot);

// For tests: the slot's current timer id (0 when idle or out of range).
uint32_t TimerIdOf(uint32_t slot);

} // namespace TimerService

// The platform's timers. The shipped program uses winmm; the tick callback calls
// TimerService::Tick with the slot number it was created with.
struct TimerCaps {
    uint32_t PeriodMin = 0;
    uint32_t PeriodMax = 0;
};
void TimerPlatformGetCaps(TimerCaps* caps);
void TimerPlatformBeginPeriod(uint32_t periodMs);
void TimerPlatformEndPeriod(uint32_t periodMs);
uint32_t TimerPlatformSetPeriodic(uint32_t periodMs, uint32_t slot); // 0 when refused
void TimerPlatformKill(uint32_t timerId);
void TimerPlatformYield(); // gives the processor up while a stop waits for a tick
