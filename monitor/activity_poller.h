#pragma once
// The 50 ms tick that makes the LEDs blink: probe all 24 letters and ask the window's thread to
// switch the LED controls whose state changed.

#include <cstdint>

// Image number of a slot's LED in a state: s + 24 * state; 0 for a state outside 0..3.
int LedImageNumber(int slot, int state);

// One round of the tick's questions, on the thread the platform asks them on (ProbeTick). Never
// waits for the window's thread and allocates nothing. A letter whose query has not returned is
// left alone, "not answering", until it returns.
void PollActivity();

// The round the tick's questions belong to now; AbandonProbeRound starts a new one. Any thread.
uint32_t ProbeRound();
// Gives the round in progress up while it waits inside a query: that letter is not answering
// until its query returns, and the thread that asked it does nothing more then. False where the
// round is not inside a query (it is merely slow, or done).
bool AbandonProbeRound();

// Any thread: while paused the tick asks no volume; the first tick after it takes the counters
// as a new base, with every LED idle and the rates started afresh.
void SetPollingPaused(bool paused);
bool PollingPaused(); // as last set

// Any thread, after monitoring stopped: the next tick that runs takes each drive's counters as a
// new base for its rates and minute, so that nothing done during the stop lands in one second.
// The LEDs keep their history: what a drive did meanwhile shows once on that tick.
void RestartRates();

// Any thread: the slots whose letters the tick asks, bit s-1 for slot s, published whole. Every
// other slot reads as a letter without a drive (idle, "no drive") and nothing is opened for it.
// A slot that joins takes its first counters as a base, so it shows no activity it did not see.
// All 24 until set. A letter that does not open or answer is asked once, then no more until the
// next call, which asks every letter again.
void SetAskedSlots(uint32_t slots);
uint32_t AskedSlots();

// Window thread: applies every switch the ticks recorded since the last call. Switches are
// dropped while monitoring is stopped, so nothing lands on images that are being redrawn.
void ApplyLedSwitches();

// Any thread: the LED controls may no longer show what the ticks last recorded (monitoring was
// stopped and switches were dropped, or every control was put back on its idle image). The next
// active tick then sends every slot's current state once.
void ResyncLedSwitches();

// Forgets recorded switches that were never applied, asks every letter again and starts the
// rates afresh (for tests and for a fresh start).
void ClearLedSwitches();

// Platform side, chosen at link time.
// Timer thread, the poll timer's procedure: has PollActivity run where a query that never returns
// holds up no other letter and no other timer (the shipped program: a thread of its own, which
// a hung round is taken from after a moment).
void ProbeTick();
// Window thread, after the poll timer stopped: returns once no round runs any more, giving up
// one that waits inside a query.
void FinishProbeRound();
// Timer thread: ask the window's thread to run ApplyLedSwitches, without waiting for it.
// False when the request could not be handed over (no window).
bool RequestLedSwitches();
// Window thread: put image `image` on LED control `control`. Between BeginLedImages and
// EndLedImages the controls take their images at once and are painted together at the end.
void ShowLedImage(int control, int image);
void BeginLedImages();
void EndLedImages();
