// winmm is not among the libraries Windows always takes from its own folder: imported by name, a
// winmm.dll lying beside the program (in a Downloads folder, on a stick) would be loaded instead
// and run inside it. So the five functions are looked up in the system folder's copy, once.
#include "app/system_library_win.h"
#include "monitor/winmm_timers_win.h"

WinmmTimers LoadSystemWinmmTimers() {
    // Kept loaded for the life of the process: its timer thread runs our ticks.
    HMODULE library = LoadSystemLibrary(L"winmm.dll");
    WinmmTimers timers;
    timers.GetDevCaps = FindFunction<decltype(&timeGetDevCaps)>(library, "timeGetDevCaps");
    timers.BeginPeriod = FindFunction<decltype(&timeBeginPeriod)>(library, "timeBeginPeriod");
    timers.EndPeriod = FindFunction<decltype(&timeEndPeriod)>(library, "timeEndPeriod");
    timers.SetEvent = FindFunction<decltype(&timeSetEvent)>(library, "timeSetEvent");
    timers.KillEvent = FindFunction<decltype(&timeKillEvent)>(library, "timeKillEvent");
    return timers;
}
