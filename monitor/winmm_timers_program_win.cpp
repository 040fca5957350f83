// The program's winmm timers: the system folder's, as they are. In an object file of its own, so
// that a test build linking its own LoadWinmmTimers never pulls this one in.
#include "monitor/winmm_timers_win.h"

WinmmTimers LoadWinmmTimers() {
    return LoadSystemWinmmTimers();
}
