#pragma once
// Messages by which the timer thread hands work to the window's thread.

#include <windows.h>

inline constexpr UINT MsgApplyLedSwitches = WM_APP + 1; // no parameters
inline constexpr UINT MsgPresentDrives = WM_APP + 2;    // wParam: presence bits, slot 1 = bit 0

// For the bar's window procedure: true when the message was one of the above and was handled.
bool HandleMonitorMessage(UINT message, WPARAM wParam, LPARAM lParam);
