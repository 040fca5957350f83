#pragma once
// A test build's winmm timers: the system's, counted where the program looks them up. Wine makes
// the resolution calls no-ops, so the counts, not the clock, are the evidence.

struct TimerCalls {
    long Raised = 0;   // timeBeginPeriod
    long Restored = 0; // timeEndPeriod
    long Started = 0;  // timeSetEvent that made a timer
    long Stopped = 0;  // timeKillEvent
};

TimerCalls CountedTimerCalls();
// Ticks of every timer so far (any thread).
long CountedTicks();
// As Windows 2000, whose timeSetEvent refuses TIME_KILL_SYNCHRONOUS (the flag is XP's, per the
// timeSetEvent documentation): timers are then made without it.
void RefuseSynchronousKill(bool refuse);
