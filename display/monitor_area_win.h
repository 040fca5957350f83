#pragma once
// Which monitor holds a window, and the scale Windows holds the window at.

#include <windows.h>

// The monitor holding most of `r` (the nearest one where none does): its whole area. An object of
// its own, so that a test build can model monitors of different scales that the machine lacks.
bool MonitorAreaHolding(const RECT& r, RECT* area);

// Dots per inch of the monitor the window is on: GetDpiForWindow (Windows 10 1607 and later),
// else that monitor's own scale (GetDpiForMonitor: 8.1 and 10 before 1607), else the system's.
int WindowDpi(HWND window);
// The same, from the lookups given (null where this Windows lacks one).
using DpiForWindowFn = UINT(WINAPI*)(HWND);
using DpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
int WindowDpiFrom(HWND window, DpiForWindowFn forWindow, DpiForMonitorFn forMonitor);
