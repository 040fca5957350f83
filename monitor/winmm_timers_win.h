#pragma once
// The five winmm timer functions, found once by LoadWinmmTimers. The program's lookup lives in a
// file of its own, so that a test build can link one that watches the calls instead.

#include <windows.h>
#include <mmsystem.h>

struct WinmmTimers {
    decltype(&timeGetDevCaps) GetDevCaps = nullptr;
    decltype(&timeBeginPeriod) BeginPeriod = nullptr;
    decltype(&timeEndPeriod) EndPeriod = nullptr;
    decltype(&timeSetEvent) SetEvent = nullptr;
    decltype(&timeKillEvent) KillEvent = nullptr;
};

// Null members where winmm or a function is missing.
WinmmTimers LoadWinmmTimers();
// The same functions of the system folder's winmm, as the program looks them up.
WinmmTimers LoadSystemWinmmTimers();
